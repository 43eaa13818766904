#pragma once

#include <QTcpSocket>
#include <QtTest/QTest>

#include <string>
#include <vector>

#include "net/Framer.h"
#include "net/Message.h"
#include "net/Version.h"
#include "text/Encoding.h"

namespace fw::sim {

// A test client speaking the dispatch protocol over a real socket: GBK on the wire, documents
// cut by the core's framer, everything received kept in order.
class WireClient {
public:
    bool Connect(quint16 port) {
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (!socket_.waitForConnected(5000)) return false;
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { Read(); });
        return true;
    }
    void Send(const Json::Value& root) { SendRaw(EncodeForWire(root, codec_)); }
    void SendRaw(const std::string& bytes) {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket_.flush();
    }
    bool WaitFor(std::size_t count, int ms = 5000) {
        return QTest::qWaitFor([&] { return received.size() >= count; }, ms);
    }
    // Waits for the first message with that code from `from` on; its index, or -1.
    int WaitForCode(int code, std::size_t from = 0, int ms = 5000) {
        int found = -1;
        (void)QTest::qWaitFor(
            [&] {
                for (std::size_t i = from; i < received.size(); ++i)
                    if (received[i].code == code) return (found = static_cast<int>(i)) >= 0;
                return false;
            },
            ms);
        return found;
    }
    // Forgets what came so far, sends the request and waits for the message with that code.
    int Ask(const Json::Value& request, int code, int ms = 5000) {
        received.clear();
        Send(request);
        return WaitForCode(code, 0, ms);
    }
    bool Disconnected(int ms = 5000) {
        return QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; }, ms);
    }
    // Leaves what arrives unread, as a client that has hung would.
    void StopReading() {
        QObject::disconnect(&socket_, &QTcpSocket::readyRead, nullptr, nullptr);
        socket_.setReadBufferSize(4096);
    }
    QTcpSocket& socket() { return socket_; }

    std::vector<Message> received;
    std::string wire;  // every byte received

private:
    void Read() {
        const QByteArray bytes = socket_.readAll();
        wire.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        framer_.Append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        while (auto doc = framer_.Next())
            if (auto parsed = ParseDocument(codec_.ToUtf8(*doc))) received.push_back(ReadMessage(*parsed));
    }

    QTcpSocket socket_;
    TextCodec codec_{"GBK"};
    Framer framer_{codec_.Family()};
};

inline Json::Value Request(const char* cmd, std::initializer_list<std::pair<const char*, std::string>> body) {
    Json::Value root = MakeMessage(cmd);
    if (cmd[0] == '9') root["header"]["clientType"] = "fenWarde";
    for (const auto& [k, v] : body) root["body"][k] = v;
    return root;
}

inline Json::Value LoginRequest(const std::string& name, const std::string& pass) {
    Json::Value root = Request("1000", {{"name", name}, {"pass", pass}, {"ver", kClientVersion}});
    root["header"]["type"] = "json_busmgr";
    root["header"]["mode"] = "";
    return root;
}

}  // namespace fw::sim
