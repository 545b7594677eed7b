#include "LocalTime.h"

#include <cstdio>
#include <ctime>

namespace zorvane {

std::string LocalTime(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto millis = duration_cast<milliseconds>(time - seconds).count();
    const std::time_t t = system_clock::to_time_t(seconds);
    std::tm local{};
    (void)localtime_r(&t, &local);  // fails only past the year 2^31; zeros then
    char date[32];
    char zone[8];  // "+0100"
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    std::strftime(zone, sizeof zone, "%z", &local);
    char text[64];
    std::snprintf(text, sizeof text, "%s.%03d%.3s:%s", date, static_cast<int>(millis), zone,
                  zone + 3);
    return text;
}

namespace {

using Millis = std::chrono::sys_time<std::chrono::milliseconds>;

// Four-digit years fit milliseconds many times over, so nothing here can overflow.
std::optional<Millis> ParseWide(std::string_view text) {
    using namespace std::chrono;
    static constexpr std::string_view kForm = "dddd-dd-ddTdd:dd:dd.ddd+dd:dd";
    if (text.size() != kForm.size()) return std::nullopt;
    for (std::size_t i = 0; i < kForm.size(); ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        if (kForm[i] == 'd' ? !digit : kForm[i] == '+' ? c != '+' && c != '-' : c != kForm[i])
            return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t digits) {
        int value = 0;
        for (std::size_t i = at; i < at + digits; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const year_month_day date{year(number(0, 4)), month(unsigned(number(5, 2))),
                              day(unsigned(number(8, 2)))};
    if (!date.ok()) return std::nullopt;  // a time of day past its range just runs on
    const minutes offset{(text[23] == '-' ? -1 : 1) * (number(24, 2) * 60 + number(27, 2))};
    return Millis(sys_days(date)) + hours(number(11, 2)) + minutes(number(14, 2)) +
           seconds(number(17, 2)) + milliseconds(number(20, 3)) - offset;
}

bool ClockHolds(Millis moment) {
    using namespace std::chrono;
    // Cut towards zero, so both bounds lie inside the clock's range.
    const auto since = moment.time_since_epoch();
    return since >= duration_cast<milliseconds>(system_clock::duration::min()) &&
           since <= duration_cast<milliseconds>(system_clock::duration::max());
}

}  // namespace

std::optional<std::chrono::system_clock::time_point> ParseLocalTime(std::string_view text) {
    const auto moment = ParseWide(text);
    if (!moment || !ClockHolds(*moment)) return std::nullopt;
    return std::chrono::time_point_cast<std::chrono::system_clock::duration>(*moment);
}

bool IsFarLocalTime(std::string_view text) {
    const auto moment = ParseWide(text);
    return moment && !ClockHolds(*moment);
}

}  // namespace zorvane
