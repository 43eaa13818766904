#include "sim/DispatchServer.h"

#include <QTcpSocket>

#include "net/Framer.h"
#include "net/Message.h"
#include "sim/DispatchSession.h"
#include "sim/Recorder.h"
#include "text/Encoding.h"

namespace fw::sim {

struct DispatchServer::Connection {
    int id = 0;
    QTcpSocket* socket = nullptr;
    TextCodec codec{"GBK"};
    Framer framer{codec.Family()};
    std::unique_ptr<DispatchSession> session;
    int badDocuments = 0;
    bool dropped = false;
};

DispatchServer::DispatchServer(SimState& state, LogFn log, QObject* parent)
    : QObject(parent), state_(state), log_(std::move(log)) {
    connect(&server_, &QTcpServer::newConnection, this, &DispatchServer::Accept);
}

DispatchServer::~DispatchServer() {
    for (auto& [id, c] : connections_) c->socket->disconnect(this);
}

bool DispatchServer::Listen(const QHostAddress& address, quint16 port, QString* error) {
    if (server_.listen(address, port)) return true;
    if (error)
        *error = QStringLiteral("cannot listen for the dispatch protocol on %1:%2: %3")
                     .arg(address.toString())
                     .arg(port)
                     .arg(server_.errorString());
    return false;
}

void DispatchServer::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto c = std::make_unique<Connection>();
        c->id = nextId_++;
        c->socket = socket;
        // Replies go out whole as they are written: with Nagle's rule the tail of a reply would
        // wait for the client's delayed acknowledgement (up to 40 ms a request).
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        const int id = c->id;
        c->session = std::make_unique<DispatchSession>(state_, [this, id](const std::string& text) {
            if (log_) log_(QStringLiteral("[%1] %2").arg(id).arg(QString::fromStdString(text)));
        });
        if (log_)
            log_(QStringLiteral("[%1] connected from %2:%3")
                     .arg(id)
                     .arg(socket->peerAddress().toString())
                     .arg(socket->peerPort()));
        connect(socket, &QTcpSocket::readyRead, this, [this, id] {
            auto it = connections_.find(id);
            if (it != connections_.end()) Read(*it->second);
        });
        // Queued, so a connection is never forgotten while its own data is being handled.
        connect(
            socket, &QTcpSocket::disconnected, this,
            [this, id] {
                auto it = connections_.find(id);
                if (it == connections_.end()) return;
                if (log_) log_(QStringLiteral("[%1] disconnected").arg(id));
                it->second->socket->deleteLater();
                connections_.erase(it);
            },
            Qt::QueuedConnection);
        connections_[id] = std::move(c);
    }
}

void DispatchServer::Drop(Connection& c, const QString& why) {
    if (c.dropped) return;
    c.dropped = true;
    if (log_) log_(QStringLiteral("[%1] dropped: %2").arg(c.id).arg(why));
    c.framer.Clear();
    const int id = c.id;
    QTcpSocket* socket = c.socket;
    socket->abort();
    auto it = connections_.find(id);
    if (it != connections_.end()) {
        socket->deleteLater();
        connections_.erase(it);
    }
}

void DispatchServer::Read(Connection& c) {
    const int id = c.id;
    const QByteArray bytes = c.socket->readAll();
    c.framer.Append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (;;) {
        auto raw = c.framer.Next();
        for (const Framer::Drop& drop : c.framer.TakeDrops()) {
            // A document past the cap means a client gone wrong: it is disconnected. One cut
            // short by the next document counts as a document that does not parse.
            if (drop.reason == Framer::Drop::Reason::TooLarge) {
                Drop(c, QStringLiteral("a document grew past the framing cap (%1 bytes dropped)")
                            .arg(drop.bytes));
                return;
            }
            if (log_) log_(QStringLiteral("[%1] an incomplete document (%2 bytes) was ignored").arg(id).arg(drop.bytes));
            if (++c.badDocuments > kMaxBadDocuments) {
                Drop(c, QStringLiteral("too many documents that do not parse"));
                return;
            }
        }
        if (!raw) return;
        // Answers may be large, but a client that keeps asking without reading them is dropped
        // before its backlog grows without bound.
        if (c.socket->bytesToWrite() > maxPendingOutput_) {
            Drop(c, QStringLiteral("the client does not read what it is sent"));
            return;
        }
        const std::string utf8 = c.codec.ToUtf8(*raw);
        auto parsed = ParseDocument(utf8);
        if (recorder_) recorder_->Record(id, utf8, parsed);
        if (!parsed || !parsed->isObject()) {
            if (log_) log_(QStringLiteral("[%1] a document that is not a JSON object was ignored").arg(id));
            if (++c.badDocuments > kMaxBadDocuments) {
                Drop(c, QStringLiteral("too many documents that do not parse"));
                return;
            }
            continue;
        }
        const Message message = ReadMessage(std::move(*parsed));
        if (log_) log_(QStringLiteral("[%1] received %2").arg(id).arg(message.code));
        // A request's answers (hundreds of stop rows for 9016) go out as one write.
        const std::string wire = c.codec.FromUtf8(c.session->Handle(message));
        if (!wire.empty()) c.socket->write(wire.data(), static_cast<qint64>(wire.size()));
        emit DocumentHandled(id, message.code);
        // A handler of the signal may have closed this connection.
        if (connections_.find(id) == connections_.end() || c.dropped) return;
    }
}

}  // namespace fw::sim
