#include "schedules/SaveExchange.h"

namespace fw {

void SaveExchange::Begin(OleDate firstDay, int days) {
    phase_ = Phase::Running;
    late_ = false;
    dayCursor_ = firstDay;
    daysSent_ = 0;
    days_ = days;
}

std::optional<std::string> SaveExchange::NextDay() {
    if (phase_ == Phase::Idle) return std::nullopt;
    late_ = late_ || phase_ == Phase::GivenUp;
    phase_ = Phase::Running;
    std::string day = FormatDate(dayCursor_);
    dayCursor_ = AddDays(dayCursor_, 1);
    return day;
}

bool SaveExchange::Finish() {
    const bool open = phase_ != Phase::Idle;
    late_ = late_ || phase_ == Phase::GivenUp;
    phase_ = Phase::Idle;
    return open;
}

std::string SaveExchange::ProgressText() const {
    return "已发送 " + std::to_string(daysSent_) + " / " + std::to_string(days_) + " 天";
}

std::string SaveExchange::CutText() const { return "连接中断，排班未保存完整（" + ProgressText() + "）"; }

}  // namespace fw
