#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include <functional>
#include <map>
#include <memory>

#include "sim/SimState.h"

class QTcpSocket;

namespace fw::sim {

class Recorder;

// The dispatch server's TCP side: GBK documents framed by braces, in the layout of JsonCpp's
// StyledWriter, many clients at once. A client that overflows the framing cap, keeps sending
// documents that do not parse, or stops reading what it is sent is disconnected; the others
// carry on.
class DispatchServer : public QObject {
    Q_OBJECT
public:
    using LogFn = std::function<void(const QString&)>;

    DispatchServer(SimState& state, LogFn log, QObject* parent = nullptr);
    ~DispatchServer() override;

    bool Listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 Port() const { return server_.serverPort(); }
    void SetRecorder(Recorder* recorder) { recorder_ = recorder; }
    int ConnectionCount() const { return static_cast<int>(connections_.size()); }

    static constexpr int kMaxBadDocuments = 50;
    // Unsent answers a client may leave behind before it is taken to have stopped reading.
    void SetMaxPendingOutput(qint64 bytes) { maxPendingOutput_ = bytes; }

signals:
    // After each received document has been handled (for tests and the console).
    void DocumentHandled(int connection, int code);

private:
    struct Connection;
    void Accept();
    void Read(Connection& c);
    void Drop(Connection& c, const QString& why);

    SimState& state_;
    LogFn log_;
    QTcpServer server_;
    Recorder* recorder_ = nullptr;
    int nextId_ = 1;
    qint64 maxPendingOutput_ = 32ll << 20;
    std::map<int, std::unique_ptr<Connection>> connections_;
};

}  // namespace fw::sim
