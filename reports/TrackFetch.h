#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;

namespace fw {

// One transfer of a vehicle's track over HTTP that never blocks. The body comes whole or not
// at all: a connection not made within the connect time, no byte for the idle time (a large
// track that keeps arriving, however slowly, is waited for), a transfer not done within the
// whole time when one is set, a read error, an HTTP error status or a body beyond the largest
// size all give an empty body and a reason, never the part that had arrived.
class TrackFetch : public QObject {
    Q_OBJECT
public:
    struct Timeouts {
        int connectMs = 10000;
        int idleMs = 30000;  // from the request on: the longest wait for the next byte
        int wholeMs = 0;     // the longest the whole transfer may take; 0: no limit
    };
    // Far beyond any day's track (a fix a second for 24 h is some 13 MB).
    static constexpr qint64 kLargestBody = qint64{256} << 20;

    explicit TrackFetch(QNetworkAccessManager& network, QObject* parent = nullptr);
    ~TrackFetch() override;

    void SetTimeouts(Timeouts timeouts) { timeouts_ = timeouts; }
    void SetLargestBody(qint64 bytes) { largest_ = bytes; }

    // Starts the transfer; a running one is aborted first.
    void Start(const QUrl& url);
    // Stops the transfer without a finished() signal.
    void Abort();
    bool IsRunning() const { return reply_ != nullptr; }

signals:
    // Bytes so far and the whole size, -1 while unknown.
    void progress(qint64 received, qint64 total);
    // The body, or an empty body and why.
    void finished(const QByteArray& body, const QString& failure);

private:
    void OnReadyRead();
    void OnFinished();
    void Fail(const QString& why);
    void Drop();

    QNetworkAccessManager& network_;
    QPointer<QNetworkReply> reply_;
    QByteArray body_;
    QTimer connectTimer_;
    QTimer idleTimer_;
    QTimer wholeTimer_;
    Timeouts timeouts_;
    qint64 largest_ = kLargestBody;
};

}  // namespace fw
