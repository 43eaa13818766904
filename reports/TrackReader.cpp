#include "reports/TrackReader.h"

#include <json/json.h>

#include <optional>
#include <string>
#include <utility>

#include "text/Strings.h"

namespace fw {
namespace {

// JSON true, a non-zero number or a non-empty string.
bool IsTrue(const Json::Value& value) {
    switch (value.type()) {
        case Json::booleanValue: return value.asBool();
        case Json::intValue: return value.asLargestInt() != 0;
        case Json::uintValue: return value.asLargestUInt() != 0;
        case Json::realValue: return value.asDouble() != 0.0;
        case Json::stringValue: return !value.asString().empty();
        default: return false;
    }
}

std::string TextOf(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

// A coordinate term printed with "%f" and read back, as the service's values have always been
// rounded. Null or missing reads 0; a value that is no number gives nothing.
std::optional<double> Term(const Json::Value& point, const char* key) {
    const Json::Value* value = point.find(key, key + std::char_traits<char>::length(key));
    if (value == nullptr || value->isNull()) return 0.0;
    if (!value->isNumeric() && !value->isBool()) return std::nullopt;
    return AtofLike(FormatFixed6(value->asDouble()));
}

}  // namespace

std::vector<TrackPoint> ReadTrackPoints(std::string_view body) {
    std::vector<TrackPoint> points;
    Json::Value root;
    Json::Reader reader(Json::Features::all());
    if (!reader.parse(body.data(), body.data() + body.size(), root, false)) return points;
    const Json::Value& doc = root;  // const: reading must not add members
    if (!doc.isObject() || !IsTrue(doc["result"])) return points;
    const Json::Value& topics = doc["topics"];
    if (!topics.isArray()) return points;
    points.reserve(topics.size());
    for (const Json::Value& point : topics) {
        if (!point.isObject()) continue;
        const auto lat = Term(point, "lat");
        const auto latFix = Term(point, "lat_xz");
        const auto lng = Term(point, "lng");
        const auto lngFix = Term(point, "lng_xz");
        if (!lat || !latFix || !lng || !lngFix) continue;
        TrackPoint p;
        p.gpsTime = TextOf(point["gpst"]);
        p.receiveTime = TextOf(point["recvt"]);
        p.latitude = *lat + *latFix;
        p.longitude = *lng + *lngFix;
        points.push_back(std::move(p));
    }
    return points;
}

}  // namespace fw
