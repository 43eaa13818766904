#include "net/Message.h"

#include <json/reader.h>

#include <exception>
#include <memory>

#include "net/JsonWriter.h"
#include "text/Encoding.h"
#include "text/Strings.h"

namespace fw {

namespace {

// Looks a member up without inserting it (operator[] on a const value would be fine too, but
// find also tells "missing" from "null").
const Json::Value* Member(const Json::Value& object, std::string_view key) {
    if (!object.isObject()) return nullptr;
    return object.find(key.data(), key.data() + key.size());
}

}  // namespace

std::string Text(const Json::Value& object, const char* key) {
    const Json::Value* member = Member(object, key);
    if (member == nullptr || !member->isString()) return {};
    return member->asString();
}

Message ReadMessage(Json::Value root) {
    Message message;
    if (!root.isObject()) return message;
    if (Member(root, "header")) message.header = std::move(root["header"]);
    if (Member(root, "body")) message.body = std::move(root["body"]);
    message.code = AtoiLike(Text(message.header, "cmd"));
    return message;
}

std::optional<Json::Value> ParseDocument(std::string_view utf8) {
    // One reader per thread: building a CharReader per document costs more than the parse.
    static thread_local const std::unique_ptr<Json::CharReader> reader = [] {
        Json::CharReaderBuilder builder;
        builder["allowComments"] = true;
        builder["collectComments"] = false;
        builder["strictRoot"] = false;
        builder["failIfExtra"] = false;
        builder["rejectDupKeys"] = false;
        builder["allowSpecialFloats"] = false;
        return std::unique_ptr<Json::CharReader>(builder.newCharReader());
    }();
    Json::Value root;
    try {
        if (!reader->parse(utf8.data(), utf8.data() + utf8.size(), &root, nullptr))
            return std::nullopt;
    } catch (const std::exception&) {
        // JsonCpp throws instead of failing for some documents (nesting past its stack limit).
        return std::nullopt;
    }
    return root;
}

Json::Value MakeMessage(std::string_view cmd) {
    Json::Value root(Json::objectValue);
    root["header"]["cmd"] = std::string(cmd);
    root["body"] = Json::Value(Json::objectValue);
    return root;
}

std::string EncodeForWire(const Json::Value& root, const TextCodec& codec) {
    return codec.FromUtf8(WriteStyled(root));
}

}  // namespace fw
