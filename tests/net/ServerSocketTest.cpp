#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "net/Requests.h"
#include "net/ServerSocket.h"
#include "tests/support/WaitFor.h"
#include "text/Encoding.h"

namespace fw {
namespace {

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
    ASSERT_TRUE(test::WaitFor([&] { return (received += peer.client->readAll()).endsWith("}\n"); }, 5000));
    EXPECT_TRUE(received.contains("\xB5\xF7\xB6\xC8\xD4\xB1"));  // 调度员 in GBK
    ASSERT_FALSE(link.handler.log.empty());
    EXPECT_NE(link.handler.log.back().find("调度员"), std::string::npos);  // logged as UTF-8

    // A document nested past the parser's limit is dropped alone; it must not end the program.
    const std::string nested = "{\"a\":" + std::string(999, '[') + "}\n";
    peer.client->write(nested.c_str());
    peer.client->write("{\"header\":{\"cmd\":\"1009\"},\"body\":{}}\n{\"header\":{\"cmd\":");
    peer.client->flush();
    ASSERT_TRUE(test::WaitFor([&] { return link.handler.codes.size() == 1; }, 5000));
    peer.client->write("\"1011\"},\"body\":{}}");
    ASSERT_TRUE(test::WaitFor([&] { return link.handler.codes == std::vector<int>{1009, 1011}; }, 5000));
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
    ASSERT_TRUE(test::WaitFor([&] { return link.handler.codes == std::vector<int>{1009, 9001}; }, 5000));
    link.socket.Close();
    QTest::qWait(50);
    EXPECT_EQ(gone.size(), 1);
}

}  // namespace
}  // namespace fw
