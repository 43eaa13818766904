#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/Requests.h"
#include "routes/RouteRecord.h"

namespace fw {

class RouteStore;

inline constexpr const char* kRouteNameEmpty = "线路名称不能为空";
inline constexpr const char* kTooFewRoutePoints = "线路上的点不能少于2个";
inline constexpr const char* kRouteNameTaken = "线路名称已存在";
inline constexpr const char* kMarkerWord = "marker";
inline constexpr const char* kMarkerIdEmpty = "标注id为空";

// A page command of the map page: "marker,id,name,lat,lng,km,minutes". Fields are taken from the
// front at each single comma and trimmed; a field that is not there is empty.
struct MarkerCommand {
    std::string word;
    std::string id;
    std::string name;
    std::string latitude;
    std::string longitude;
    std::string distance;  // km from the previous station
    std::string time;      // whole minutes from the previous station
};
MarkerCommand ParseMarkerCommand(std::string_view command);

// "%0.2f" of the total length in km.
std::string FormatRouteLength(float km);
// "%02d:%02d": hours modulo 24 and minutes of a span of whole minutes; a negative span shows
// its size after a minus sign.
std::string FormatRouteTime(std::int64_t minutes);

// The route being drawn on the map page: the stations collected so far, their running totals
// and the two texts the window binds to its edits.
class RouteDrawing {
public:
    enum class Outcome { Added, NotMarker, EmptyId };
    struct Applied {
        Outcome outcome = Outcome::Added;
        std::string logLine;  // what to log besides the command itself; empty when added
    };

    // One page command. Only "marker" (exactly) with an identifier adds a station.
    Applied Apply(std::string_view command);

    // Clear: no stations, zero totals, every text empty.
    void Reset();

    // Why the route cannot be saved (the message to show), or empty when it can. With the
    // routes known, a name one of them has (both trimmed) is refused too: the server would
    // refuse it, and it deletes routes by name.
    std::string SaveRefusal(const RouteStore* known = nullptr) const;
    // The route to store: the trimmed name, the stations, the length and time as shown. The
    // drawing stays as it is until Reset.
    RouteRecord RouteToSave() const;

    const RouteRecord& Working() const { return working_; }
    int StationCounter() const { return counter_; }
    float TotalLength() const { return totalLength_; }
    std::int64_t TotalMinutes() const { return totalMinutes_; }
    bool TotalTimeValid() const { return timeValid_; }
    const std::string& LengthText() const { return lengthText_; }
    const std::string& TimeText() const { return timeText_; }

    // The texts of the name and stations edits; the window keeps them in step with what the
    // user types.
    std::string routeName;
    std::string stationsText;

private:
    void AddMinutes(std::int64_t minutes);

    RouteRecord working_;
    int counter_ = 0;
    float totalLength_ = 0;
    std::int64_t totalMinutes_ = 0;
    bool timeValid_ = true;
    std::string lengthText_ = FormatRouteLength(0);
    std::string timeText_ = FormatRouteTime(0);
};

// The 9004 request for a route to save.
DrawnRoute SaveRequestFor(const RouteRecord& route, const std::string& userName);

}  // namespace fw
