#pragma once

#include <string>
#include <string_view>

namespace fw {

// What a user action that needs the server shows when its request could not go out (the
// connection is down, or being made again): what was not done, and that the work is still
// there to send again. Nothing is queued: the server may have changed by the time it is back.
// NotSentText("线路未保存") → "与服务器的连接已断开，线路未保存。重新连接后请再试。"
std::string NotSentText(std::string_view notDone);

// The actions' own words.
inline constexpr std::string_view kRouteNotSaved = "线路未保存";
inline constexpr std::string_view kRouteNotDeleted = "线路未删除";
inline constexpr std::string_view kScheduleNotSaved = "排班未保存";
inline constexpr std::string_view kScheduleNotDeleted = "排班未删除";
inline constexpr std::string_view kReportNotQueried = "报表未查询";
inline constexpr std::string_view kReportNotGenerated = "报表未生成";

// Several requests of one action, some of which went out before the connection went:
// "与服务器的连接已断开，已删除 2 条，其余 3 条线路未删除。重新连接后请再试。"
std::string PartlySentText(int done, std::string_view doneVerb, int notDone, std::string_view notDoneText);

}  // namespace fw
