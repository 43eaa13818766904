#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <json/value.h>

#include "net/ReceivePipeline.h"

namespace fw {

class TextCodec;

// The one connection to the dispatch server. Connecting never blocks the window: Open returns
// at once and the outcome arrives as connected() or connectFailed() (within the time-out).
// Received bytes run through the receive pipeline into the handler, on the UI thread.
class ServerSocket : public QObject {
    Q_OBJECT

public:
    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr qint64 kLargestRead = 61440;
    static constexpr int kSendBufferSize = 102400;

    ServerSocket(const TextCodec& codec, ReceiveHandler& handler, QObject* parent = nullptr);
    ~ServerSocket() override;

    void Open(const QString& host, quint16 port, int timeoutMs = kConnectTimeoutMs);
    bool IsConnected() const;

    enum class SendResult {
        Sent,
        NotConnected,  // never connected (a failed attempt): nothing sent, nothing logged
        Lost,          // the connection was up and is gone, or the write failed
    };
    // Serialises the message and hands it to the network; only a connected socket sends. The
    // text is logged whenever the connection had been made, as the send was attempted.
    SendResult SendJson(const Json::Value& root);
    void Close();

signals:
    void connected();
    void connectFailed(const QString& reason);
    // The server ended the connection or it broke (not the owner's Close): reported as soon as
    // the socket knows, not at the next send.
    void connectionLost();

private:
    void OnReadyRead();
    void OnError(QAbstractSocket::SocketError error);
    void ReportLoss();

    const TextCodec& codec_;
    ReceiveHandler& handler_;
    ReceivePipeline pipeline_;
    QTcpSocket socket_;
    QTimer connectTimer_;
    bool connecting_ = false;
    bool wasConnected_ = false;  // connected since the last Open
    bool closed_ = false;        // closed by the owner; stop handling what is buffered
    bool lossReported_ = false;
};

}  // namespace fw
