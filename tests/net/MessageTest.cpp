#include <gtest/gtest.h>

#include <ostream>

#include "net/Message.h"

namespace fw {
namespace {

struct CodeCase {
    const char* document;
    int code;
    friend std::ostream& operator<<(std::ostream& os, const CodeCase& c) { return os << c.document; }
};

class CodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(CodeTest, CodeIsTheAtoiOfAStringCmd) {
    auto root = ParseDocument(GetParam().document);
    ASSERT_TRUE(root);
    EXPECT_EQ(ReadMessage(*root).code, GetParam().code) << GetParam().document;
}

INSTANTIATE_TEST_SUITE_P(
    Headers, CodeTest,
    testing::Values(CodeCase{R"({"header":{"cmd":"8000"},"body":{}})", 8000},
                    CodeCase{R"({"header":{"cmd":" 9017x"},"body":{}})", 9017},
                    CodeCase{R"({"header":{"cmd":8000},"body":{}})", 0},
                    CodeCase{R"({"header":{"cmd":null},"body":{}})", 0},
                    CodeCase{R"({"header":{},"body":{}})", 0},
                    CodeCase{R"({"header":"8000","body":{}})", 0},
                    CodeCase{R"({"body":{}})", 0},
                    CodeCase{R"(["header"])", 0}));

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
