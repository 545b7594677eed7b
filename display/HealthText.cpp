#include "HealthText.h"

#include <QStringList>

namespace zorvane {

namespace {

constexpr std::chrono::minutes kMinute{1};

// "chyby 3 (kontrolní součet 2, přeskočené bajty 1)", the kinds that occurred.
QString Faults(const LineHealth& h) {
    QStringList kinds;
    const auto add = [&kinds](const char* kind, std::uint64_t n) {
        if (n > 0) kinds << QStringLiteral("%1 %2").arg(QString::fromUtf8(kind)).arg(n);
    };
    add("kontrolní součet", h.checksumErrors);
    add("přeskočené bajty", h.skippedBytes);
    if (h.driver) {
        add("parita", h.driver->parity);
        add("rámcování", h.driver->framing);
        add("přetečení", h.driver->overrun);
        add("přetečení vyrovnávací paměti", h.driver->bufferOverrun);
        add("break", h.driver->breaks);
    }
    const QString faults = QStringLiteral("chyby %1").arg(h.Faults());
    return kinds.isEmpty() ? faults : faults + " (" + kinds.join(", ") + ")";
}

}  // namespace

QString HealthText::Update(const LineHealth& health, std::chrono::steady_clock::time_point now) {
    lastMinute_.push_back({now, health});
    while (lastMinute_.size() > 1 && now - lastMinute_[1].at >= kMinute)
        lastMinute_.pop_front();
    // Heard less than a minute ago for the first time: the minute began with the opening.
    const LineHealth minute =
        now - lastMinute_.front().at >= kMinute ? health.Since(lastMinute_.front().health) : health;
    QStringList lines{
        QStringLiteral("Vedení za poslední minutu: ") + Faults(minute),
        QStringLiteral("Od otevření portu: rámce %1, ").arg(health.frames) + Faults(health)};
    if (!health.driver)
        lines << QStringLiteral("Ovladač portu chyby parity, rámcování ani přetečení nepočítá");
    return lines.join('\n');
}

}  // namespace zorvane
