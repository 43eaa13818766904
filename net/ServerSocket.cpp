#include "net/ServerSocket.h"

#include "net/Outgoing.h"
#include "text/Encoding.h"

namespace fw {

ServerSocket::ServerSocket(const TextCodec& codec, ReceiveHandler& handler, QObject* parent)
    : QObject(parent), codec_(codec), handler_(handler), pipeline_(codec) {
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        if (!connecting_) return;
        connecting_ = false;
        socket_.abort();
        emit connectFailed(QStringLiteral("timeout"));
    });
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        connectTimer_.stop();
        connecting_ = false;
        wasConnected_ = true;
        socket_.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBufferSize);
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit connected();
    });
    connect(&socket_, &QTcpSocket::errorOccurred, this, &ServerSocket::OnError);
    connect(&socket_, &QTcpSocket::readyRead, this, &ServerSocket::OnReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &ServerSocket::ReportLoss);
}

ServerSocket::~ServerSocket() {
    socket_.disconnect(this);
    socket_.abort();
}

void ServerSocket::Open(const QString& host, quint16 port, int timeoutMs) {
    socket_.abort();
    pipeline_.Reset();
    closed_ = false;
    wasConnected_ = false;
    lossReported_ = false;
    connecting_ = true;
    connectTimer_.start(timeoutMs);
    socket_.connectToHost(host, port);
}

bool ServerSocket::IsConnected() const {
    return socket_.state() == QAbstractSocket::ConnectedState;
}

ServerSocket::SendResult ServerSocket::SendJson(const Json::Value& root) {
    if (!wasConnected_) return SendResult::NotConnected;
    const Outgoing out = PrepareOutgoing(root, codec_);
    qint64 written = -1;
    if (IsConnected()) {
        written = socket_.write(out.wire.data(), static_cast<qint64>(out.wire.size()));
        if (written != static_cast<qint64>(out.wire.size())) written = -1;
    }
    handler_.WriteLog(out.logged);
    return written < 0 ? SendResult::Lost : SendResult::Sent;
}

void ServerSocket::Close() {
    connectTimer_.stop();
    connecting_ = false;
    wasConnected_ = false;
    closed_ = true;
    socket_.abort();
    pipeline_.Reset();
}

void ServerSocket::OnReadyRead() {
    // The handler may end the login (and close this socket) while a read is dispatched; the
    // owner deletes the object only later, so checking the flag here is safe.
    char chunk[kLargestRead];
    while (!closed_ && socket_.bytesAvailable() > 0) {
        const qint64 n = socket_.read(chunk, sizeof chunk);
        if (n <= 0) break;
        pipeline_.OnRead(std::string_view(chunk, static_cast<std::size_t>(n)), handler_);
    }
}

void ServerSocket::ReportLoss() {
    if (closed_ || !wasConnected_ || lossReported_) return;
    lossReported_ = true;
    emit connectionLost();
}

void ServerSocket::OnError(QAbstractSocket::SocketError) {
    if (!connecting_) {
        // A broken connection may report only an error; the peer closing reports disconnected.
        if (socket_.state() != QAbstractSocket::ConnectedState) ReportLoss();
        return;
    }
    connecting_ = false;
    connectTimer_.stop();
    emit connectFailed(socket_.errorString());
}

}  // namespace fw
