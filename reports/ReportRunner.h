#pragma once

#include <QNetworkAccessManager>
#include <QObject>

#include <optional>
#include <string>

#include "reports/ReportForm.h"
#include "reports/ReportRows.h"
#include "reports/ReportRun.h"
#include "reports/TrackFetch.h"

namespace fw {

class LogSink;
class RouteStore;
class StopTimeTable;
class TextCodec;
class VehicleStore;

// One report run from its start to its rows, without a window: the range check and the
// clearing of the old real times, the track transfer (asynchronous, with time-outs), the
// detection and the reading of the rows. The report window drives it; so can anything else
// that reports on vehicles one after another.
class ReportRunner : public QObject {
    Q_OBJECT
public:
    struct Result {
        std::string message;  // to tell the user ("轨迹数据为空"); empty when nothing
        ReportList rows;      // the rows of the range, in planned order
        ReportRun::Outcome outcome;
        QString failure;  // why the transfer gave no body, for the log
    };

    ReportRunner(StopTimeTable& table, RouteStore& routes, const VehicleStore& vehicles,
                 LogSink* log, QObject* parent = nullptr);

    // wire: the charset of the track request's values (GBK when null); it must outlive the run.
    void SetWireCodec(const TextCodec* wire) { wire_ = wire; }
    void SetTimeouts(TrackFetch::Timeouts timeouts) { fetch_.SetTimeouts(timeouts); }

    // Starts a run on the form's vehicle and range. When it cannot start (the range ends before
    // it begins) the text to show comes back and nothing happens; otherwise finished() follows.
    std::optional<std::string> Start(const ReportForm& form);
    // Ends a running run at once: the transfer stops, nothing is analysed, no finished().
    void Abort();
    bool IsRunning() const { return running_; }
    // The last run's result, once finished() has been emitted.
    Result TakeResult() { return std::move(result_); }

signals:
    void progress(qint64 received, qint64 total);
    void finished();

private:
    void OnFetched(const QByteArray& body, const QString& failure);

    StopTimeTable& table_;
    RouteStore& routes_;
    const VehicleStore& vehicles_;
    LogSink* log_;
    const TextCodec* wire_ = nullptr;
    QNetworkAccessManager network_;
    TrackFetch fetch_{network_};
    ReportForm form_;
    Result result_;
    bool running_ = false;
};

}  // namespace fw
