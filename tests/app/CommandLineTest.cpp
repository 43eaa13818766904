#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/Home.h"

namespace fw {
namespace {

TEST(CommandLine, ReadsEveryOption) {
    const CommandLine cl = ParseCommandLine({"--home", "/srv/fw", "--autologin"});
    EXPECT_EQ(cl.home, "/srv/fw");
    EXPECT_TRUE(cl.autoLogin);
    EXPECT_TRUE(cl.error.empty());
    EXPECT_EQ(ParseCommandLine({"--home=/x"}).home, "/x");
    EXPECT_TRUE(ParseCommandLine({"--help"}).help);
    EXPECT_TRUE(ParseCommandLine({"--version"}).version);
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    EXPECT_FALSE(ParseCommandLine({"--home"}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--home", ""}).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--bogus"}).error.empty());
}

TEST(Home, OptionThenVariableThenProgramFolder) {
    EXPECT_EQ(ResolveHome("/opt", "/env", "/bin"), "/opt");
    EXPECT_EQ(ResolveHome("", "/env", "/bin"), "/env");
    EXPECT_EQ(ResolveHome("", "", "/bin"), "/bin");
    EXPECT_EQ(ResolveHome("", nullptr, "/bin"), "/bin");
}

}  // namespace
}  // namespace fw
