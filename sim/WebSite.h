#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimState.h"
#include "sim/TrackFault.h"

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QHttpServerResponder;
class QTcpServer;

namespace fw::sim {

// The access key the client's track requests carry.
inline constexpr const char* kTrackKey = "3c9d0a7e51b2f6480d1e9a7c25b4f063";

// Query values as the byte strings they were sent as (percent-decoded, not yet converted from
// their charset). The first occurrence of a key wins.
std::map<std::string, std::string> ParseQueryBytes(const QByteArray& encodedQuery);

// The successful track reply for these fixes, in their order: what JsonCpp's compact writer
// gives for the reply document (keys in byte order, coordinates to six decimals without
// trailing zeros), written directly, since a day of fixes is a large document.
std::string WriteTrackReply(const std::vector<Fix>& fixes);

// The dispatch server's web site: the track interface, the route map page, the monitoring page
// and the web report site, plus the small JSON feeds the pages draw from. Everything is served
// from this process; no page loads anything from elsewhere.
class WebSite : public QObject {
    Q_OBJECT
public:
    using LogFn = std::function<void(const QString&)>;

    WebSite(SimState& state, LogFn log, QObject* parent = nullptr);
    ~WebSite() override;

    bool Listen(const QHostAddress& address, quint16 port, QString* error);
    quint16 Port() const;

    // The reply of /Interface/GetJsonVdata for raw (already percent-decoded, GBK) query values.
    std::string TrackReply(const std::map<std::string, std::string>& query);
    // The same in two steps: the first (here) checks the query and copies what the reply needs
    // from the state; the one it returns makes the reply on any thread.
    struct TrackReplyMade {
        std::string body;
        QString log;  // what to log once it is sent
    };
    std::function<TrackReplyMade()> PrepareTrackReply(const std::map<std::string, std::string>& query);
    // How the track interface answers from now on (tests; also /sim/api/track-fault?set=...).
    void SetTrackFault(TrackFault fault) { trackFault_ = fault; }
    TrackFault CurrentTrackFault() const { return trackFault_; }

    // Seconds of the scenario date at which the monitoring feed shows the fleet: the scenario date
    // at the current time of day, unless `at` ("HH:mm" or "HH:mm:ss") says otherwise.
    long long MonitorTime(const std::string& at) const;
    // Runs the monitoring clock from this time of day (seconds) on, as if it were now: a fleet on
    // the road for a demonstration at any hour.
    void StartClockAt(int secondsOfDay);

private:
    void Routes();
    QHttpServerResponse MonitorPage(const QHttpServerRequest& request);
    QHttpServerResponse ReportPage(const QHttpServerRequest& request);
    void ServeTrack(const QByteArray& body, QHttpServerResponder&& responder, const TrackFault& fault);
    QByteArray MapFeed() const;
    QByteArray PositionsFeed(const std::string& at);
    void Log(const QString& text) const {
        if (log_) log_(text);
    }

    SimState& state_;
    LogFn log_;
    std::unique_ptr<QHttpServer> http_;
    QTcpServer* tcp_ = nullptr;  // owned by http_ once bound
    TrackFault trackFault_;
    std::optional<int> clockStart_;
    QElapsedTimer clockRunning_;
    QThreadPool makers_;  // track replies being made
};

}  // namespace fw::sim
