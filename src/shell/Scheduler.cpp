#include "shell/Scheduler.h"

#include "settings/NumberRule.h"

#include <limits>

namespace sweepora {

bool Scheduler::Tick(const AppSettings& s)
{
    if (counter_ < std::numeric_limits<std::int16_t>::max()) ++counter_;
    const bool due = (s.ScheduleHour == "1" && counter_ >= kHourTicks) ||
                     (s.ScheduleDay == "1" && counter_ >= kDayTicks) ||
                     (s.ScheduleMinutes == "1" && LeadingNumber(s.ScheduleMin) <= counter_);
    if (due) counter_ = 0;
    return due;
}

void ChooseSchedulePeriod(AppSettings& s, SchedulePeriod period, const std::string& minutesText)
{
    s.ScheduleHour = period == SchedulePeriod::Hour ? "1" : "0";
    s.ScheduleDay = period == SchedulePeriod::Day ? "1" : "0";
    s.ScheduleMinutes = period == SchedulePeriod::Minutes ? "1" : "0";
    if (period == SchedulePeriod::Minutes) s.ScheduleMin = minutesText;
}

SchedulePeriod ChosenSchedulePeriod(const AppSettings& s)
{
    if (s.ScheduleHour == "1") return SchedulePeriod::Hour;
    if (s.ScheduleDay == "1") return SchedulePeriod::Day;
    if (s.ScheduleMinutes == "1") return SchedulePeriod::Minutes;
    return SchedulePeriod::None;
}

std::string StepMinutes(const std::string& text, bool up)
{
    const int value = TextToInt16(text);
    if (up && value < kMaxMinutes) return std::to_string(value + 1);
    if (!up && value > kMinMinutes) return std::to_string(value - 1);
    return text;
}

bool MinutesInRange(const std::string& text)
{
    const double value = LeadingNumber(text);
    return value >= kMinMinutes && value <= kMaxMinutes;
}

} // namespace sweepora
