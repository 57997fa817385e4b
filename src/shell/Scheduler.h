#pragma once
#include "settings/AppSettings.h"

#include <cstdint>

namespace sweepora {

// The scheduler's counter, apart from any timer: one Tick per timer period, and the
// answer whether a run is due now.
class Scheduler {
public:
    // A tick is one minute, so "every 5 minutes" means five minutes.
    static constexpr unsigned kTickMilliseconds = 60000;
    static constexpr int kHourTicks = 60;
    static constexpr int kDayTicks = 1440;

    // Counting starts again from 0.
    void Arm() { armed_ = true; counter_ = 0; }
    void Disarm() { armed_ = false; }
    bool Armed() const { return armed_; }
    std::int16_t Counter() const { return counter_; }

    // Counts one tick; true when the chosen period is reached (the counter is then 0
    // again). With no period chosen the counter stops at its largest value.
    bool Tick(const AppSettings& settings);

private:
    bool armed_ = false;
    std::int16_t counter_ = 0;
};

// The three period buttons of the Scheduling page, in their order.
enum class SchedulePeriod { Hour = 0, Day = 1, Minutes = 2, None = -1 };

// Makes `period` the chosen one: its key "1", the other two "0"; Minutes also takes
// `minutesText` as the number of minutes.
void ChooseSchedulePeriod(AppSettings& settings, SchedulePeriod period, const std::string& minutesText);

// The button the settings select: hour, else day, else minutes, else none.
SchedulePeriod ChosenSchedulePeriod(const AppSettings& settings);

// The minutes box's arrows: Up adds one below 30, Down takes one above 1; text that is
// no number counts as 0.
std::string StepMinutes(const std::string& text, bool up);
// True when the text's number is within 1 to 30.
bool MinutesInRange(const std::string& text);

constexpr int kMinMinutes = 1;
constexpr int kMaxMinutes = 30;

} // namespace sweepora
