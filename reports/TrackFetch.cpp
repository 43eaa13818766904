#include "reports/TrackFetch.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace fw {

TrackFetch::TrackFetch(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), network_(network) {
    for (QTimer* timer : {&connectTimer_, &idleTimer_, &wholeTimer_}) timer->setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("no connection within %1 s").arg(timeouts_.connectMs / 1000.0));
    });
    connect(&idleTimer_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("no data for %1 s (%2 bytes received)").arg(timeouts_.idleMs / 1000.0).arg(body_.size()));
    });
    connect(&wholeTimer_, &QTimer::timeout, this, [this] {
        Fail(QStringLiteral("not complete within %1 s").arg(timeouts_.wholeMs / 1000.0));
    });
}

TrackFetch::~TrackFetch() { Drop(); }

void TrackFetch::Start(const QUrl& url) {
    Drop();
    body_.clear();
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QCoreApplication::applicationName());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    // Uncompressed, so that the announced length is the length of the body we read.
    request.setRawHeader("Accept-Encoding", "identity");
    reply_ = network_.get(request);
    // Connected: from now on the wait is for data, restarted by every byte (and the headers).
    connect(reply_, &QNetworkReply::requestSent, this, [this] {
        connectTimer_.stop();
        idleTimer_.start(timeouts_.idleMs);
    });
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        if (idleTimer_.isActive()) idleTimer_.start(timeouts_.idleMs);
    });
    connect(reply_, &QNetworkReply::readyRead, this, &TrackFetch::OnReadyRead);
    connect(reply_, &QNetworkReply::downloadProgress, this, &TrackFetch::progress);
    connect(reply_, &QNetworkReply::finished, this, &TrackFetch::OnFinished);
    connectTimer_.start(timeouts_.connectMs);
    if (timeouts_.wholeMs > 0) wholeTimer_.start(timeouts_.wholeMs);
}

void TrackFetch::Abort() { Drop(); }

void TrackFetch::OnReadyRead() {
    if (!reply_) return;
    idleTimer_.start(timeouts_.idleMs);
    const qint64 total = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (total > largest_ || body_.size() + reply_->bytesAvailable() > largest_) {
        Fail(QStringLiteral("body larger than %1 bytes").arg(largest_));
        return;
    }
    if (body_.isEmpty() && total > 0) body_.reserve(total);
    // Read straight into the body: a track is megabytes, arriving in many pieces.
    const qint64 had = body_.size();
    body_.resize(had + reply_->bytesAvailable());
    const qint64 read = reply_->read(body_.data() + had, body_.size() - had);
    body_.resize(had + std::max<qint64>(read, 0));
}

void TrackFetch::OnFinished() {
    if (!reply_) return;
    OnReadyRead();
    if (!reply_) return;  // the last read was too much
    // An error page is no track, however well it arrived.
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400) {
        Fail(QStringLiteral("HTTP status %1").arg(status));
        return;
    }
    if (reply_->error() != QNetworkReply::NoError) {
        Fail(reply_->errorString());
        return;
    }
    // A connection closed early can end a reply without an error; the announced length tells.
    const QVariant announced = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && reply_->rawHeader("Content-Encoding").isEmpty() &&
        body_.size() != announced.toLongLong()) {
        Fail(QStringLiteral("body ended after %1 of %2 bytes")
                 .arg(body_.size())
                 .arg(announced.toLongLong()));
        return;
    }
    QByteArray body = std::move(body_);
    body_.clear();
    Drop();
    emit finished(body, QString());
}

void TrackFetch::Fail(const QString& why) {
    Drop();
    body_.clear();
    body_.squeeze();
    emit finished(QByteArray(), why);
}

void TrackFetch::Drop() {
    for (QTimer* timer : {&connectTimer_, &idleTimer_, &wholeTimer_}) timer->stop();
    if (!reply_) return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

}  // namespace fw
