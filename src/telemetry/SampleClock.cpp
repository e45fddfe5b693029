#include "SampleClock.h"

#include <chrono>

#include "TextValues.h"

namespace telemetry {

std::optional<int64_t> cameraClockSeconds(const Class_Subtitle_Info& s) {
    using namespace std::chrono;
    const int y = integerValue(s.year), mo = integerValue(s.month), d = integerValue(s.day);
    const int h = integerValue(s.hour), mi = integerValue(s.min), sec = integerValue(s.second);
    if (y < 1 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31) return std::nullopt;
    const year_month_day date{year(y), month(unsigned(mo)), day(unsigned(d))};
    if (!date.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec > 59) return std::nullopt;
    return int64_t(sys_days(date).time_since_epoch().count()) * 86400 + h * 3600 + mi * 60 + sec;
}

}  // namespace telemetry
