#include "reports/TrackReader.h"

#include <simdjson.h>

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "net/Message.h"
#include "text/Strings.h"

namespace fw {
namespace {

namespace od = simdjson::ondemand;
using simdjson::error_code;
using simdjson::SUCCESS;

// One coordinate term of a fix: a number (true counts 1), or unusable.
struct Term {
    double value = 0.0;
    bool usable = true;
};

// Each term as "%f" prints it and atof reads it back: rounded to six decimals.
double Rounded(double value) { return RoundToSixDecimals(value); }

// --- The fast path: simdjson On-Demand, touching every value so that a document it reads is
// one JsonCpp reads too (On-Demand would otherwise skip what it is not asked for unchecked).

// Deeper documents go to JsonCpp, which has the final word on its own depth limit.
constexpr int kDepthLimit = 256;

error_code Check(od::value value, int depth);

error_code CheckObject(od::object object, int depth) {
    for (auto member : object) {
        od::field field;
        std::string_view key;
        if (auto e = std::move(member).get(field)) return e;
        if (auto e = field.unescaped_key().get(key)) return e;
        if (auto e = Check(field.value(), depth + 1)) return e;
    }
    return SUCCESS;
}

error_code Check(od::value value, int depth) {
    if (depth > kDepthLimit) return simdjson::DEPTH_ERROR;
    od::json_type type;
    if (auto e = value.type().get(type)) return e;
    switch (type) {
        case od::json_type::object: {
            od::object object;
            if (auto e = value.get_object().get(object)) return e;
            return CheckObject(object, depth);
        }
        case od::json_type::array: {
            od::array array;
            if (auto e = value.get_array().get(array)) return e;
            for (auto element : array) {
                od::value item;
                if (auto e = element.get(item)) return e;
                if (auto e = Check(item, depth + 1)) return e;
            }
            return SUCCESS;
        }
        case od::json_type::string: return value.get_string().error();
        case od::json_type::number: return value.get_double().error();
        case od::json_type::boolean: return value.get_bool().error();
        case od::json_type::null: {
            bool null = false;
            if (auto e = value.is_null().get(null)) return e;
            return null ? SUCCESS : simdjson::N_ATOM_ERROR;
        }
    }
    return simdjson::INCORRECT_TYPE;
}

// A number as JsonCpp reads it: the double nearest to the decimal text, integers included (the
// nearest double to an integer is what converting JsonCpp's exact integer gives). simdjson
// 3.0.1 misreads decimals of more than 19 digits (get_number() gives 0; get_double() reads
// 0.0088888888888888888888 as 0.0015), so such a number is read again from its text.
error_code ReadNumber(od::value value, double& out) {
    const std::string_view token = value.raw_json_token();
    if (auto e = value.get_double().get(out)) return e;
    // Only a number's text of more than 19 characters needs reading again.
    auto numeric = [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
    };
    std::size_t length = 0;
    while (length < token.size() && numeric(token[length])) ++length;
    if (length > 19) std::from_chars(token.data(), token.data() + length, out);
    return SUCCESS;
}

// `result` reads true when it is JSON true, a non-zero number or a non-empty string.
error_code ReadTruth(od::value value, bool& truth, int depth) {
    truth = false;
    od::json_type type;
    if (auto e = value.type().get(type)) return e;
    switch (type) {
        case od::json_type::boolean: return value.get_bool().get(truth);
        case od::json_type::number: {
            double number = 0.0;
            if (auto e = ReadNumber(value, number)) return e;
            truth = number != 0.0;
            return SUCCESS;
        }
        case od::json_type::string: {
            std::string_view text;
            if (auto e = value.get_string().get(text)) return e;
            truth = !text.empty();
            return SUCCESS;
        }
        default: return Check(value, depth);
    }
}

error_code ReadTerm(od::value value, Term& term, int depth) {
    term = {};
    od::json_type type;
    if (auto e = value.type().get(type)) return e;
    switch (type) {
        case od::json_type::number: {
            double number = 0.0;
            if (auto e = ReadNumber(value, number)) return e;
            term.value = Rounded(number);
            return SUCCESS;
        }
        case od::json_type::boolean: {
            bool b = false;
            if (auto e = value.get_bool().get(b)) return e;
            term.value = b ? 1.0 : 0.0;
            return SUCCESS;
        }
        case od::json_type::null: return Check(value, depth);
        default: term.usable = false; return Check(value, depth);
    }
}

error_code ReadTime(od::value value, std::string& time, int depth) {
    time.clear();
    od::json_type type;
    if (auto e = value.type().get(type)) return e;
    if (type != od::json_type::string) return Check(value, depth);
    std::string_view text;
    if (auto e = value.get_string().get(text)) return e;
    time.assign(text);
    return SUCCESS;
}

enum class FixKey { GpsTime, Lat, LatFix, Lng, LngFix, Other };

// Which member of a fix a key names (the receive time is not kept: nothing reads it). A key is first compared as it stands (the usual case, no
// copy); only one that matches none is unescaped, which also checks its escapes.
error_code KeyOf(od::field& field, FixKey& out) {
    static constexpr std::pair<const char*, FixKey> kKeys[] = {
        {"gpst", FixKey::GpsTime}, {"lat", FixKey::Lat},   {"lat_xz", FixKey::LatFix},
        {"lng", FixKey::Lng},      {"lng_xz", FixKey::LngFix}};
    const od::raw_json_string raw = field.key();
    for (const auto& [name, key] : kKeys)
        if (raw.unsafe_is_equal(name)) return out = key, SUCCESS;
    std::string_view text;
    if (auto e = field.unescaped_key().get(text)) return e;
    out = FixKey::Other;
    for (const auto& [name, key] : kKeys)
        if (text == name) out = key;
    return SUCCESS;
}

error_code ReadFix(od::value value, std::vector<TrackPoint>& points, int depth) {
    od::json_type type;
    if (auto e = value.type().get(type)) return e;
    if (type != od::json_type::object) return Check(value, depth);  // not a fix at all
    od::object object;
    if (auto e = value.get_object().get(object)) return e;
    TrackPoint point;
    Term lat, latFix, lng, lngFix;
    for (auto member : object) {
        od::field field;
        FixKey key;
        if (auto e = std::move(member).get(field)) return e;
        if (auto e = KeyOf(field, key)) return e;
        od::value v = field.value();
        error_code e = SUCCESS;
        switch (key) {
            case FixKey::GpsTime: e = ReadTime(v, point.gpsTime, depth + 1); break;
            case FixKey::Lat: e = ReadTerm(v, lat, depth + 1); break;
            case FixKey::LatFix: e = ReadTerm(v, latFix, depth + 1); break;
            case FixKey::Lng: e = ReadTerm(v, lng, depth + 1); break;
            case FixKey::LngFix: e = ReadTerm(v, lngFix, depth + 1); break;
            case FixKey::Other: e = Check(v, depth + 1); break;
        }
        if (e) return e;
    }
    if (lat.usable && latFix.usable && lng.usable && lngFix.usable) {
        point.latitude = lat.value + latFix.value;
        point.longitude = lng.value + lngFix.value;
        points.push_back(std::move(point));
    }
    return SUCCESS;
}

error_code ReadTopics(od::value value, std::vector<TrackPoint>& points, bool& isArray) {
    points.clear();  // the last `topics` counts
    od::json_type type;
    if (auto e = value.type().get(type)) return e;
    isArray = type == od::json_type::array;
    if (!isArray) return Check(value, 2);
    od::array array;
    if (auto e = value.get_array().get(array)) return e;
    for (auto element : array) {
        od::value fix;
        if (auto e = element.get(fix)) return e;
        if (auto e = ReadFix(fix, points, 3)) return e;
    }
    return SUCCESS;
}

// The points, or nothing when simdjson does not read the reply.
std::optional<std::vector<TrackPoint>> ReadFast(std::string_view body) {
    // One parser and one padded copy per thread keep their memory from one report to the next.
    static thread_local od::parser parser;
    static thread_local std::string copy;
    copy.reserve(body.size() + simdjson::SIMDJSON_PADDING);
    copy.assign(body);
    od::document doc;
    if (parser.iterate(simdjson::padded_string_view(copy.data(), copy.size(), copy.capacity()))
            .get(doc))
        return std::nullopt;
    od::json_type type;
    if (doc.type().get(type)) return std::nullopt;
    // Whatever the rest holds, a root that is not an object has no `result`.
    if (type != od::json_type::object) return std::vector<TrackPoint>{};
    od::object root;
    if (doc.get_object().get(root)) return std::nullopt;
    std::vector<TrackPoint> points;
    points.reserve(body.size() / 128);  // about one fix per 128 bytes
    bool result = false, topicsIsArray = false;
    for (auto member : root) {
        od::field field;
        std::string_view key;
        if (std::move(member).get(field) || field.unescaped_key().get(key)) return std::nullopt;
        error_code e;
        if (key == "result") e = ReadTruth(field.value(), result, 2);
        else if (key == "topics") e = ReadTopics(field.value(), points, topicsIsArray);
        else e = Check(field.value(), 2);
        if (e) return std::nullopt;
    }
    if (!result || !topicsIsArray) points.clear();
    return points;
}

// --- The JsonCpp path.

const Json::Value* Member(const Json::Value& object, const char* key) {
    return object.find(key, key + std::char_traits<char>::length(key));
}

Term TermOf(const Json::Value* v) {
    if (v == nullptr) return {};
    switch (v->type()) {
        case Json::nullValue: return {};
        case Json::booleanValue: return {v->asBool() ? 1.0 : 0.0, true};
        case Json::intValue:
        case Json::uintValue:
        case Json::realValue: return {Rounded(v->asDouble()), true};
        default: return {0.0, false};
    }
}

std::string TimeOf(const Json::Value* v) {
    return v != nullptr && v->isString() ? v->asString() : std::string();
}

bool TruthOf(const Json::Value* v) {
    if (v == nullptr) return false;
    switch (v->type()) {
        case Json::booleanValue: return v->asBool();
        case Json::intValue:
        case Json::uintValue:
        case Json::realValue: return v->asDouble() != 0.0;
        case Json::stringValue: return !v->asString().empty();
        default: return false;
    }
}

}  // namespace

std::vector<TrackPoint> TrackPointsOf(const Json::Value& reply) {
    std::vector<TrackPoint> points;
    if (!reply.isObject() || !TruthOf(Member(reply, "result"))) return points;
    const Json::Value* topics = Member(reply, "topics");
    if (topics == nullptr || !topics->isArray()) return points;
    for (const Json::Value& fix : *topics) {
        if (!fix.isObject()) continue;
        const Term lat = TermOf(Member(fix, "lat")), latFix = TermOf(Member(fix, "lat_xz"));
        const Term lng = TermOf(Member(fix, "lng")), lngFix = TermOf(Member(fix, "lng_xz"));
        if (!lat.usable || !latFix.usable || !lng.usable || !lngFix.usable) continue;
        points.push_back({TimeOf(Member(fix, "gpst")), lat.value + latFix.value, lng.value + lngFix.value});
    }
    return points;
}

std::vector<TrackPoint> ReadTrackPoints(std::string_view body) {
    if (auto points = ReadFast(body)) return std::move(*points);
    const auto reply = ParseDocument(body);
    return reply ? TrackPointsOf(*reply) : std::vector<TrackPoint>{};
}

}  // namespace fw
