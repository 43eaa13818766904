#include "schedules/SaveExchange.h"

namespace fw {

void SaveExchange::Begin(OleDate firstDay, int days) {
    running_ = true;
    dayCursor_ = firstDay;
    daysSent_ = 0;
    days_ = days;
}

std::optional<std::string> SaveExchange::NextDay() {
    if (!running_) return std::nullopt;
    std::string day = FormatDate(dayCursor_);
    dayCursor_ = AddDays(dayCursor_, 1);
    ++daysSent_;
    return day;
}

bool SaveExchange::Finish() {
    const bool wasRunning = running_;
    running_ = false;
    return wasRunning;
}

std::string SaveExchange::ProgressText() const {
    return "已发送 " + std::to_string(daysSent_) + " / " + std::to_string(days_) + " 天";
}

}  // namespace fw
