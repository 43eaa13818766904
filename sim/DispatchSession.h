#pragma once

#include <functional>
#include <string>
#include <vector>

#include <json/value.h>

#include "net/Message.h"
#include "sim/SimState.h"

namespace fw::sim {

// One client's conversation with the dispatch server, without the socket: each received message
// gives the documents to send back, in order. Nothing but a login is answered before a login
// has succeeded; unknown codes are ignored.
class DispatchSession {
public:
    using LogFn = std::function<void(const std::string&)>;

    DispatchSession(SimState& state, LogFn log) : state_(state), log_(std::move(log)) {}

    // The answers, written as the server writes them (styled, UTF-8), one after another.
    std::string Handle(const Message& message);

    bool LoggedIn() const { return loggedIn_; }
    const std::string& User() const { return user_; }
    int Heartbeats() const { return heartbeats_; }

    // A save longer than this is refused rather than answered with one 9007 per day.
    static constexpr int kMaxSaveDays = 366;

private:
    // The answers as documents; some are written straight into `written` instead.
    std::vector<Json::Value> Answers(const Message& message, std::string& written);
    void Login(const Json::Value& body, std::vector<Json::Value>& out);
    void Push(std::vector<Json::Value>& out);
    void Stations(const Json::Value& body, std::vector<Json::Value>& out);
    void AddRoute(const Json::Value& body);
    void DeleteRoute(const Json::Value& body);
    void DeleteSchedule(const Json::Value& body, std::vector<Json::Value>& out);
    void ScheduleContent(const Json::Value& body, std::vector<Json::Value>& out);
    void ScheduleTimetable(const Json::Value& body);
    void StopTimes(const Json::Value& body, std::string& written);
    void ReportQuery(const Json::Value& body, std::vector<Json::Value>& out);
    void Log(const std::string& text) const {
        if (log_) log_(text);
    }

    SimState& state_;
    LogFn log_;
    bool loggedIn_ = false;
    std::string user_;
    int heartbeats_ = 0;

    // A schedule being saved: its first 9008 opened it; the server then asked for each day's
    // content (9007) and for the timetable (9009). It stays open until every day has answered.
    struct PendingSave {
        std::string name, user, startDate, endDate;
        std::vector<Assignment> content;
        int daysOutstanding = 0;
        bool timetableReceived = false;
        bool open = false;
    } save_;
};

}  // namespace fw::sim
