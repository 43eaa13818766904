#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/DocumentHold.h"

namespace fw {
namespace {

// A handler whose documents act on the hold the way the client's do: 9019 begins a run (a new
// hold), 1 ends the login, 2 runs a modal box during which document 3 arrives and the running
// report ends.
class DocumentHoldTest : public testing::Test {
protected:
    static Message Doc(int code) {
        Message m;
        m.code = code;
        return m;
    }
    bool Receive(int code) {
        Message m = Doc(code);
        return hold.Receive(m);
    }
    bool Handle(Message& m) {
        handled.push_back(m.code);
        if (m.code == 9019) hold.Begin();
        if (m.code == 2) {
            Receive(3);
            hold.Release();
        }
        return m.code != 1;
    }

    std::vector<int> handled;
    DocumentHold hold{[this](Message& m) { return Handle(m); }};
};

TEST_F(DocumentHoldTest, DocumentsPassAtOnceUntilAHoldThenFollowInOrder) {
    EXPECT_TRUE(Receive(9017));
    EXPECT_EQ(handled, std::vector<int>{9017});
    hold.Begin();
    for (int code : {9021, 1009, 9017}) EXPECT_TRUE(Receive(code));
    EXPECT_EQ(handled.size(), 1u);
    EXPECT_EQ(hold.Waiting(), 3u);
    EXPECT_TRUE(hold.Release());
    EXPECT_EQ(handled, (std::vector<int>{9017, 9021, 1009, 9017}));
    EXPECT_FALSE(hold.Holding());
    EXPECT_EQ(hold.Waiting(), 0u);
}

TEST_F(DocumentHoldTest, AWaitingRunHoldsTheDocumentsBehindIt) {
    hold.Begin();
    for (int code : {9017, 9019, 9021, 9022}) Receive(code);
    hold.Release();
    // The second run holds the rest; what arrives now queues behind them.
    EXPECT_EQ(handled, (std::vector<int>{9017, 9019}));
    EXPECT_TRUE(hold.Holding());
    Receive(9023);
    hold.Release();
    EXPECT_EQ(handled, (std::vector<int>{9017, 9019, 9021, 9022, 9023}));
}

TEST_F(DocumentHoldTest, ADocumentArrivingUnderAModalBoxKeepsItsPlace) {
    hold.Begin();
    for (int code : {2, 4}) Receive(code);
    EXPECT_TRUE(hold.Release());
    EXPECT_EQ(handled, (std::vector<int>{2, 4, 3}));
}

TEST_F(DocumentHoldTest, EndedLoginDropsTheRest) {
    hold.Begin();
    for (int code : {9021, 1, 9021}) Receive(code);
    EXPECT_FALSE(hold.Release());
    EXPECT_EQ(handled, (std::vector<int>{9021, 1}));
    EXPECT_EQ(hold.Waiting(), 0u);

    hold.Begin();
    Receive(9021);
    hold.Clear();
    EXPECT_FALSE(hold.Holding());
    EXPECT_TRUE(Receive(9017));
    EXPECT_EQ(handled, (std::vector<int>{9021, 1, 9017}));
}

}  // namespace
}  // namespace fw
