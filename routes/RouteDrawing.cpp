#include "routes/RouteDrawing.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "routes/RouteStore.h"
#include "text/Strings.h"

namespace fw {
namespace {

// Spans beyond this many days are invalid, as date-time spans are.
constexpr std::int64_t kMaxSpanMinutes = 3615897LL * 1440;

// Takes the field before the next comma off the front of rest.
std::string TakeField(std::string_view& rest) {
    const std::size_t comma = rest.find(',');
    const std::string_view field = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    return Trim(field);
}

}  // namespace

MarkerCommand ParseMarkerCommand(std::string_view command) {
    MarkerCommand m;
    std::string_view rest = command;
    for (std::string* field : {&m.word, &m.id, &m.name, &m.latitude, &m.longitude, &m.distance,
                               &m.time})
        *field = TakeField(rest);
    return m;
}

std::string FormatRouteLength(float km) {
    char text[64];
    std::snprintf(text, sizeof text, "%0.2f", static_cast<double>(km));
    return text;
}

std::string FormatRouteTime(std::int64_t minutes) {
    const std::int64_t size = minutes < 0 ? -minutes : minutes;
    char text[32];
    std::snprintf(text, sizeof text, "%s%02d:%02d", minutes < 0 ? "-" : "",
                  static_cast<int>(size / 60 % 24), static_cast<int>(size % 60));
    return text;
}

RouteDrawing::Applied RouteDrawing::Apply(std::string_view command) {
    const MarkerCommand m = ParseMarkerCommand(command);
    if (m.word != kMarkerWord) return {Outcome::NotMarker, "CMD NOT:" + m.word};
    if (m.id.empty()) return {Outcome::EmptyId, kMarkerIdEmpty};

    StationRecord station;
    station.id = m.id;
    station.name = m.name;
    station.latitude = m.latitude;
    station.longitude = m.longitude;
    // A distance too large for the total counts as nothing, like one that is not a number.
    const float km = static_cast<float>(AtofLike(m.distance));
    if (std::isfinite(totalLength_ + km)) totalLength_ += km;
    station.time = m.time;
    station.serialNumber = std::to_string(counter_);
    working_.stations.push_back(std::move(station));
    ++counter_;
    AddMinutes(AtoiLike(m.time));

    if (!stationsText.empty()) stationsText += " — ";
    stationsText += m.name;
    timeText_ = timeValid_ ? FormatRouteTime(totalMinutes_) : FormatRouteTime(0);
    lengthText_ = FormatRouteLength(totalLength_);
    return {};
}

void RouteDrawing::AddMinutes(std::int64_t minutes) {
    if (!timeValid_) return;  // once out of range, the total stays invalid
    const std::int64_t sum = totalMinutes_ + minutes;
    if (std::llabs(sum) > kMaxSpanMinutes) {
        timeValid_ = false;
        totalMinutes_ = 0;
        return;
    }
    totalMinutes_ = sum;
}

void RouteDrawing::Reset() {
    totalMinutes_ = 0;
    timeValid_ = true;
    totalLength_ = 0;
    counter_ = 0;
    routeName.clear();
    stationsText.clear();
    lengthText_.clear();
    timeText_.clear();
    working_.lineName.clear();
    working_.stations.clear();
}

std::string RouteDrawing::SaveRefusal(const RouteStore* known) const {
    // A name of blanks only is no name.
    if (TrimView(routeName).empty()) return kRouteNameEmpty;
    if (working_.stations.size() < 2) return kTooFewRoutePoints;
    if (known != nullptr && known->HasName(routeName)) return kRouteNameTaken;
    return {};
}

RouteRecord RouteDrawing::RouteToSave() const {
    RouteRecord route;
    route.lineName = Trim(routeName);
    route.stations = working_.stations;
    route.length = lengthText_;
    route.time = timeText_;
    return route;
}

DrawnRoute SaveRequestFor(const RouteRecord& route, const std::string& userName) {
    DrawnRoute drawn;
    drawn.lineName = route.lineName;
    drawn.counterDistance = route.length;
    drawn.counterTime = route.time;
    drawn.userName = userName;
    for (const StationRecord& s : route.stations)
        drawn.stations.push_back({s.id, s.name, s.serialNumber, s.time});
    return drawn;
}

}  // namespace fw
