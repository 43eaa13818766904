#include <gtest/gtest.h>

#include "net/Message.h"

namespace fw {
namespace {

TEST(Message, CodeIsTheAtoiOfAStringCmd) {
    const struct {
        const char* document;
        int code;
    } rows[] = {{R"({"header":{"cmd":"8000"},"body":{}})", 8000}, {R"({"header":{"cmd":" 9017x"},"body":{}})", 9017},
                {R"({"header":{"cmd":8000},"body":{}})", 0},      {R"({"header":{"cmd":null},"body":{}})", 0},
                {R"({"header":{},"body":{}})", 0},                {R"({"header":"8000","body":{}})", 0},
                {R"({"body":{}})", 0},                            {R"(["header"])", 0}};
    for (const auto& r : rows) {
        auto root = ParseDocument(r.document);
        ASSERT_TRUE(root) << r.document;
        EXPECT_EQ(ReadMessage(*root).code, r.code) << r.document;
    }
}

TEST(Message, ValuesThatAreNotStringsReadAsEmptyText) {
    auto root = ParseDocument(R"({"body":{"a":"x","n":1000,"t":true,"o":{},"z":null}})");
    ASSERT_TRUE(root);
    const Json::Value& body = (*root)["body"];
    EXPECT_EQ(Text(body, "a"), "x");
    for (const char* key : {"n", "t", "o", "z", "missing"}) EXPECT_EQ(Text(body, key), "") << key;
    EXPECT_EQ(Text(Json::Value("scalar"), "a"), "");
    EXPECT_FALSE(body.isMember("missing"));  // reading never inserts
}

TEST(Message, ParserAllowsCommentsAndEscapesAndRefusesBrokenText) {
    auto root = ParseDocument("{ // note\n \"a\" : /* x */ \"\\u4e00\" }");
    ASSERT_TRUE(root);
    EXPECT_EQ(Text(*root, "a"), "一");
    EXPECT_FALSE(ParseDocument("{\"a\":}"));
    EXPECT_FALSE(ParseDocument("{\"a\":\"b\""));
    // Past JsonCpp's depth limit the reader throws; that is a refusal too, well-formed or not.
    EXPECT_FALSE(ParseDocument("{\"a\":" + std::string(999, '[') + "}"));
    EXPECT_FALSE(ParseDocument(std::string(1200, '[') + std::string(1200, ']')));
}

}  // namespace
}  // namespace fw
