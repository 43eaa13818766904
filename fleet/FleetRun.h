#pragma once

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/Config.h"
#include "base/Log.h"
#include "fleet/FleetOptions.h"
#include "fleet/FleetReport.h"
#include "fleet/FleetSession.h"
#include "fleet/FleetWorkers.h"

namespace fw {

class TrackFetch;

// One run of fenwarde-report once its command line and home have been checked: sign in, plan the
// vehicle-days, and push each through its stages — stop rows (one request at a time on the
// connection), track (a few transfers at once), detection (the worker pool) — so that the stages
// overlap. The file is written once every vehicle-day has a result. finished() carries the exit
// status.
class FleetRun : public QObject {
    Q_OBJECT
public:
    struct Streams {
        std::FILE* out = stdout;  // the closing summary
        std::FILE* err = stderr;  // progress and messages
        bool terminal = false;    // err is a terminal: one progress line, rewritten
    };

    FleetRun(FleetOptions options, LoginConfig config, std::string password, std::string home, Streams streams,
             FleetSession::Timing timing = {});
    ~FleetRun() override;

    void Start();
    // SIGINT or SIGTERM: transfers stop, the pool stops, nothing is written (a file being written
    // is abandoned before it takes its name). finished(kFleetInterrupted) follows.
    void Interrupt();

signals:
    void finished(int exitStatus);

private:
    struct Pending {
        std::size_t index = 0;
        std::vector<StopTimeEntry> stops;
    };

    void OnSignedIn();
    void RequestNextStopRows();
    void OnStopRows(std::vector<StopTimeEntry> rows);
    void OnSessionEnded(const QString& why);
    void PumpFetches();
    void OnFetched(TrackFetch* fetch, const QByteArray& body, const QString& failure);
    void OnDetected(std::size_t index, VehicleDayResult result);
    void GiveUpTracks();
    void Record(std::size_t index, VehicleDayResult result);
    void MaybeFinish();
    void Write();
    void OnWritten(ExportResult result);
    void Finish(int status);
    void Message(const std::string& text);
    void ShowProgress(bool force);

    FleetOptions options_;
    LoginConfig config_;
    std::string home_;
    Streams streams_;
    Log log_;
    FleetSession session_;
    QNetworkAccessManager network_;
    std::vector<std::unique_ptr<TrackFetch>> fetches_;
    std::vector<std::size_t> fetching_;  // per transfer, the vehicle-day it carries
    std::unique_ptr<FleetReport> report_;
    std::unique_ptr<FleetWorkers> workers_;
    FleetContext context_;
    std::size_t nextRequest_ = 0;          // the next vehicle-day to ask stop rows for
    std::optional<std::size_t> asking_;    // the one whose stop rows are due
    std::deque<Pending> awaitingTrack_;    // stop rows in, track not yet asked for
    std::vector<std::vector<StopTimeEntry>> stopsOf_;  // while the track is on its way
    std::size_t detecting_ = 0;            // handed to the pool, result not yet back
    int failedInARow_ = 0;                 // track transfers failed since the last one that came
    std::string trackServiceDown_;         // set once the transfers are given up: the reason
    bool sequential_ = false;
    QElapsedTimer clock_;
    QTimer progressTimer_;
    bool progressShown_ = false;
    bool interrupted_ = false;
    bool done_ = false;      // every vehicle-day has its result
    bool finished_ = false;  // finished() was emitted
    std::thread writer_;
    std::atomic<bool> cancelWrite_{false};
};

}  // namespace fw
