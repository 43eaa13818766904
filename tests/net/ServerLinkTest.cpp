// The link to the dispatch server without any window: the socket against a loopback peer, and
// the session against the simulator's server in this process (what goes out and when, what the
// window is told, and what the hold keeps).
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/Config.h"
#include "base/Log.h"
#include "net/Requests.h"
#include "net/ServerSession.h"
#include "net/ServerSocket.h"
#include "sim/DispatchServer.h"
#include "sim/ScenarioGenerator.h"
#include "sim/SimState.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "text/Encoding.h"

namespace fw {
namespace {

using test::WaitFor;

class Recorder : public ReceiveHandler {
public:
    void WriteLog(std::string_view text) override { log.emplace_back(text); }
    bool Dispatch(Message& m) override {
        codes.push_back(m.code);
        return true;
    }
    std::vector<std::string> log;
    std::vector<int> codes;
};

// A loopback peer on a free port.
struct Peer {
    QTcpServer server;
    QTcpSocket* client = nullptr;
    Peer() { server.listen(QHostAddress::LocalHost, 0); }
    quint16 Port() const { return server.serverPort(); }
    bool Accept() {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(5000)) return false;
        client = server.nextPendingConnection();
        return client != nullptr;
    }
};

struct Link {
    TextCodec gbk{"GBK"};
    Recorder handler;
    ServerSocket socket{gbk, handler};
    bool ConnectTo(Peer& peer) {
        QSignalSpy connected(&socket, &ServerSocket::connected);
        socket.Open("127.0.0.1", peer.Port());
        return connected.wait(5000) && peer.Accept();
    }
};

TEST(ServerSocket, ConnectsSendsGbkAndDispatchesWhatArrives) {
    Peer peer;
    Link link;
    ASSERT_TRUE(link.ConnectTo(peer));

    EXPECT_EQ(link.socket.SendJson(LoginRequest("调度员", "pw")), ServerSocket::SendResult::Sent);
    QByteArray received;
    ASSERT_TRUE(WaitFor([&] { return (received += peer.client->readAll()).endsWith("}\n"); }, 5000));
    EXPECT_TRUE(received.contains("\xB5\xF7\xB6\xC8\xD4\xB1"));  // 调度员 in GBK
    ASSERT_FALSE(link.handler.log.empty());
    EXPECT_NE(link.handler.log.back().find("调度员"), std::string::npos);  // logged as UTF-8

    // A document nested past the parser's limit is dropped alone; it must not end the program.
    const std::string nested = "{\"a\":" + std::string(999, '[') + "}\n";
    peer.client->write(nested.c_str());
    peer.client->write("{\"header\":{\"cmd\":\"1009\"},\"body\":{}}\n{\"header\":{\"cmd\":");
    peer.client->flush();
    ASSERT_TRUE(WaitFor([&] { return link.handler.codes.size() == 1; }, 5000));
    peer.client->write("\"1011\"},\"body\":{}}");
    ASSERT_TRUE(WaitFor([&] { return link.handler.codes == std::vector<int>{1009, 1011}; }, 5000));
}

TEST(ServerSocket, RefusedConnectionFailsWithoutBlocking) {
    Peer closed;
    const quint16 freePort = closed.Port();
    closed.server.close();
    Link link;
    QSignalSpy failed(&link.socket, &ServerSocket::connectFailed);
    link.socket.Open("127.0.0.1", freePort);
    EXPECT_TRUE(failed.wait(5000));
    EXPECT_EQ(link.socket.SendJson(HeartbeatRequest()), ServerSocket::SendResult::NotConnected);
    EXPECT_TRUE(link.handler.log.empty());
}

// The peer leaving is reported at once (before any send), our own Close is not.
TEST(ServerSocket, APeerLeavingMidDocumentLosesOnlyThatDocument) {
    Link link;
    QSignalSpy gone(&link.socket, &ServerSocket::connectionLost);
    {
        Peer peer;
        ASSERT_TRUE(link.ConnectTo(peer));
        peer.client->write("{\"header\":{\"cmd\":\"1009\"},\"body\":{}}\n{\"header\":{\"cmd\":\"10");
        peer.client->flush();
        peer.client->close();
        ASSERT_TRUE(gone.wait(5000));
    }
    EXPECT_EQ(link.handler.codes, std::vector<int>{1009});
    // The failed send is reported, and still logged as an attempt.
    const std::size_t logged = link.handler.log.size();
    EXPECT_EQ(link.socket.SendJson(HeartbeatRequest()), ServerSocket::SendResult::Lost);
    EXPECT_EQ(link.handler.log.size(), logged + 1);

    // The next connection starts clean: nothing of the half document is left to prefix it.
    Peer second;
    ASSERT_TRUE(link.ConnectTo(second));
    second.client->write("11\"},\"body\":{}}\n{\"header\":{\"cmd\":\"9001\"},\"body\":{}}\n");
    ASSERT_TRUE(WaitFor([&] { return link.handler.codes == std::vector<int>{1009, 9001}; }, 5000));
    link.socket.Close();
    QTest::qWait(50);
    EXPECT_EQ(gone.size(), 1);
}

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        StartServer(0);
        config.server = "127.0.0.1";
        config.port = server->Port();
        config.user = "admin";
        config.password = "admin";
        config.remember = "1";
        session.SetHandler([this](Message& m) {
            handled.push_back(m.code);
            // The dispatcher's part: the login reply, and the answers routes ask for.
            if (m.code == 8000) return session.LoginReply(Text(m.body, "result"), Text(m.body, "text"));
            if (m.code == 9001) return session.Answer(RouteStationsRequest(Text(m.body, "lineid")));
            return true;
        });
    }
    void StartServer(quint16 port) {
        server = std::make_unique<sim::DispatchServer>(state, [](const QString&) {});
        ASSERT_TRUE(server->Listen(QHostAddress::LocalHost, port, nullptr));
        received = std::make_unique<QSignalSpy>(server.get(), &sim::DispatchServer::DocumentHandled);
    }
    // The codes the server has had since it started, in order.
    std::vector<int> Received() const {
        std::vector<int> codes;
        for (const auto& args : *received) codes.push_back(args.at(1).toInt());
        return codes;
    }
    bool ReceivedCode(int code) const { return std::ranges::count(Received(), code) > 0; }
    void SignIn() {
        QSignalSpy in(&session, &ServerSession::signedIn);
        session.SignIn();
        ASSERT_TRUE(in.wait(5000));
        ASSERT_EQ(session.CurrentState(), ServerSession::State::SignedIn);
    }

    test::TempHome home;
    Log log{home.Path()};
    LoginConfig config;
    TextCodec codec{"GBK"};
    ServerSession session{config, codec, log, {.heartbeatMs = 60000, .reconnectDivisor = 20, .settleMs = 300}};
    sim::SimState state{sim::GenerateScenario(7, "2014-08-25")};
    std::unique_ptr<sim::DispatchServer> server;
    std::unique_ptr<QSignalSpy> received;
    std::vector<int> handled;
};

// A request goes out only while signed in with the connection up. Reconnecting, nothing goes
// and nothing is kept for later: the server, back, never gets what was refused meanwhile.
TEST_F(SessionTest, RequestsGoOnlyWhileSignedInAndAreNeverKeptForLater) {
    EXPECT_FALSE(session.CanSend());
    EXPECT_FALSE(session.Send(DeleteRouteRequest("1路", "admin")));
    SignIn();
    EXPECT_TRUE(session.CanSend());
    EXPECT_TRUE(session.Send(HeartbeatRequest()));
    ASSERT_TRUE(WaitFor([&] { return ReceivedCode(1002); }, 5000));

    QSignalSpy lost(&session, &ServerSession::connectionLost);
    QSignalSpy tries(&session, &ServerSession::reconnectTry);
    QSignalSpy again(&session, &ServerSession::signedIn);
    const quint16 port = server->Port();
    server.reset();
    ASSERT_TRUE(lost.wait(5000));
    EXPECT_TRUE(session.IsReconnecting());
    EXPECT_GE(tries.count(), 1);
    EXPECT_FALSE(session.CanSend());
    EXPECT_FALSE(session.Send(DeleteRouteRequest("1路", "admin")));
    EXPECT_TRUE(session.Answer(HeartbeatRequest()));  // not sent, but the session goes on

    StartServer(port);
    ASSERT_TRUE(again.wait(10000));
    EXPECT_TRUE(again.at(0).at(0).toBool());  // the automatic re-login
    EXPECT_TRUE(session.CanSend());
    ASSERT_TRUE(WaitFor([&] { return ReceivedCode(1008); }, 5000));
    const std::vector<int> codes = Received();
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 3), (std::vector<int>{1000, 9000, 1008}));
    EXPECT_FALSE(ReceivedCode(9012));
}

// The login's answer is never held behind a report run's hold: the re-login completes while
// the run goes on, what the server pushes then waits in the hold, and the pushes only count as
// settled once what waited has been handled.
TEST_F(SessionTest, TheLoginAnswerIsNeverHeldAndHeldPushesSettleOnlyWhenHandled) {
    SignIn();
    const quint16 port = server->Port();
    QSignalSpy lost(&session, &ServerSession::connectionLost);
    server.reset();
    ASSERT_TRUE(lost.wait(5000));
    session.Hold().Begin();  // a report run fetches its track
    QSignalSpy again(&session, &ServerSession::signedIn);
    QSignalSpy settled(&session, &ServerSession::pushesSettled);
    QSignalSpy arrived(&session, &ServerSession::documentArrived);
    handled.clear();
    StartServer(port);
    ASSERT_TRUE(again.wait(10000));
    EXPECT_EQ(handled, std::vector<int>{8000});
    ASSERT_TRUE(WaitFor([&] { return session.Hold().Waiting() > 10; }, 5000));
    EXPECT_GT(arrived.count(), 10);  // held, and heard
    EXPECT_FALSE(settled.wait(1000));
    EXPECT_FALSE(ReceivedCode(9002));  // the 9001s wait, so do their answers
    session.Hold().Release();
    ASSERT_TRUE(settled.wait(5000));
    EXPECT_TRUE(ReceivedCode(9002));
    EXPECT_EQ(session.Hold().Waiting(), 0u);
}

// Without a remembered password the session ends when the connection goes: told once, then
// nothing more is sent or handled. Ending it by hand (logging out) tells nobody.
TEST_F(SessionTest, WithoutARememberedPasswordALostConnectionEndsTheSession) {
    config.remember = "0";
    SignIn();
    QSignalSpy lost(&session, &ServerSession::connectionLost);
    QSignalSpy ended(&session, &ServerSession::ended);
    server.reset();
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).toString(), "与服务器断开连接");
    EXPECT_EQ(session.CurrentState(), ServerSession::State::SignedOut);
    EXPECT_FALSE(session.Answer(HeartbeatRequest()));

    StartServer(0);
    config.port = server->Port();
    SignIn();
    session.End();
    EXPECT_FALSE(session.Send(HeartbeatRequest()));
    EXPECT_EQ(ended.count(), 1);
}

}  // namespace
}  // namespace fw
