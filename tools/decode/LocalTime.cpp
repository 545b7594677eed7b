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

}  // namespace zorvane
