#pragma once

#include <optional>
#include <string>

#include "text/OleDate.h"

namespace fw {

// The client's side of saving a schedule: the first 9008 (every cell) opens it with the day
// cursor on the first day; the server then asks for one day's rows at a time (9007) and finally
// for the timetable (9009), which ends it. Answers that come when no save runs change nothing.
// A save given up because the server fell silent is taken up again by its late answers: the
// server was slow, not gone. One cut by a lost connection (or cancelled) is over.
class SaveExchange {
public:
    void Begin(OleDate firstDay, int days);
    // Cancelled, or cut by a lost connection: later answers change nothing.
    void Abandon() { phase_ = Phase::Idle; }
    // The server fell silent: a late answer takes the save up again.
    void GiveUp() {
        if (phase_ == Phase::Running) phase_ = Phase::GivenUp;
    }
    bool Running() const { return phase_ == Phase::Running; }
    bool GivenUp() const { return phase_ == Phase::GivenUp; }
    // An answer came after the save had been given up (the user was told it failed).
    bool Late() const { return late_; }

    // The date whose rows answer a 9007; the cursor moves on a day and a given-up save runs
    // again. Nothing when no save runs. DaySent counts it once its rows went out.
    std::optional<std::string> NextDay();
    void DaySent() { ++daysSent_; }
    // A 9009: true when it ends a running or given-up save.
    bool Finish();

    int DaysSent() const { return daysSent_; }
    int Days() const { return days_; }
    // "已发送 3 / 7 天"
    std::string ProgressText() const;
    // The connection went during the save: "连接中断，排班未保存完整（已发送 2 / 7 天）".
    std::string CutText() const;

private:
    enum class Phase { Idle, Running, GivenUp };
    Phase phase_ = Phase::Idle;
    bool late_ = false;
    OleDate dayCursor_ = 0;
    int daysSent_ = 0;
    int days_ = 0;
};

}  // namespace fw
