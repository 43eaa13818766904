#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

// An HTTP server for transfer tests that answers every request with the body it is given, or
// misbehaves as told: only half the announced body, or no answer at all.
class BodyServer : public QObject {
public:
    enum class Mode { Whole, Half, Silent };

    BodyServer() {
        connect(&tcp_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = tcp_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { OnRead(s); });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    pending_.remove(s);
                    s->deleteLater();
                });
            }
        });
        tcp_.listen(QHostAddress::LocalHost, 0);
    }

    quint16 Port() const { return tcp_.serverPort(); }

    QByteArray body;
    int status = 200;
    Mode mode = Mode::Whole;
    int requests = 0;
    QByteArray lastTarget;  // the request line's target

private:
    void OnRead(QTcpSocket* s) {
        QByteArray& in = pending_[s];
        in += s->readAll();
        if (!in.contains("\r\n\r\n")) return;
        ++requests;
        lastTarget = in.split(' ').value(1);
        in.clear();
        if (mode == Mode::Silent) return;
        s->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: application/json\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n");
        s->write(mode == Mode::Half ? body.left(body.size() / 2) : body);
        s->disconnectFromHost();
    }

    // Before the server: the server's sockets, destroyed with it, still report their
    // disconnection to a handler that uses this.
    QHash<QTcpSocket*, QByteArray> pending_;
    QTcpServer tcp_;
};
