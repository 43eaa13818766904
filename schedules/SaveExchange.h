#pragma once

#include <optional>
#include <string>

#include "text/OleDate.h"

namespace fw {

// The client's side of saving a schedule: the first 9008 (every cell) opens it with the day
// cursor on the first day; the server then asks for one day's rows at a time (9007) and finally
// for the timetable (9009), which ends it. Answers that come when no save runs change nothing.
class SaveExchange {
public:
    void Begin(OleDate firstDay, int days);
    void Abandon() { running_ = false; }
    bool Running() const { return running_; }

    // The date whose rows answer a 9007; the cursor moves on a day. Nothing when no save runs.
    std::optional<std::string> NextDay();
    // A 9009: true when it ends a running save.
    bool Finish();

    OleDate DayCursor() const { return dayCursor_; }
    int DaysSent() const { return daysSent_; }
    int Days() const { return days_; }
    // "已发送 3 / 7 天"
    std::string ProgressText() const;

private:
    bool running_ = false;
    OleDate dayCursor_ = 0;
    int daysSent_ = 0;
    int days_ = 0;
};

}  // namespace fw
