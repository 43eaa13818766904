#pragma once

#include <json/value.h>

#include <functional>
#include <string>

namespace fw {

class LogSink;
class RouteStore;

// What the route pages take from the main window: its route store, its log, the link to the
// server (false when a send ended the login) and the name of the user logged in.
struct RouteContext {
    RouteStore* routes = nullptr;
    LogSink* log = nullptr;
    std::function<bool(const Json::Value&)> sendJson;
    std::function<std::string()> userName;
};

}  // namespace fw
