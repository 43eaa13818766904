#include "fleet/FleetRun.h"

#include <QDateTime>
#include <QUrl>

#include <algorithm>

#include "fleet/FleetPlan.h"
#include "fleet/FleetProgress.h"
#include "reports/CsvWriter.h"
#include "reports/TrackFetch.h"
#include "reports/TrackRequest.h"
#include "reports/XlsxWriter.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// Stop rows asked for ahead of the tracks: they are small, but a run should not race ahead of
// what it can fetch.
constexpr std::size_t kStopRowsAhead = 32;
constexpr int kProgressMs = 250;
// Transfers failed one after another with none arriving between them: the track service is down,
// and the rest would only wait out their time-outs one by one.
constexpr int kGiveUpAfter = 4;

std::string S(const QString& text) { return text.toStdString(); }

}  // namespace

FleetRun::FleetRun(FleetOptions options, LoginConfig config, std::string password, std::string home,
                   Streams streams, FleetSession::Timing timing)
    : options_(std::move(options)),
      config_(std::move(config)),
      home_(std::move(home)),
      streams_(streams),
      log_(home_),
      session_(config_, std::move(password), log_, [&] {
          timing.answerMs = options_.timeoutSeconds * 1000;
          return timing;
      }()) {
    log_.SetSwitch(config_.writeLog);
    sequential_ = options_.sequential;
    const int transfers = sequential_ ? 1 : options_.fetches;
    const int timeoutMs = options_.timeoutSeconds * 1000;
    for (int k = 0; k < transfers; ++k) {
        auto fetch = std::make_unique<TrackFetch>(network_);
        // --timeout is the longest wait for a whole track, as it always was.
        fetch->SetTimeouts({std::min(10000, timeoutMs), timeoutMs, timeoutMs});
        TrackFetch* f = fetch.get();
        connect(f, &TrackFetch::finished, this,
                [this, f](const QByteArray& body, const QString& failure) { OnFetched(f, body, failure); });
        fetches_.push_back(std::move(fetch));
    }
    fetching_.assign(fetches_.size(), kNone);
    connect(&session_, &FleetSession::signedIn, this, &FleetRun::OnSignedIn);
    connect(&session_, &FleetSession::signInFailed, this, [this](const QString& why) {
        Message("sign-in failed: " + S(why));
        Finish(kFleetUsage);
    });
    connect(&session_, &FleetSession::stopRows, this, &FleetRun::OnStopRows);
    connect(&session_, &FleetSession::ended, this, &FleetRun::OnSessionEnded);
    connect(&progressTimer_, &QTimer::timeout, this, [this] { ShowProgress(false); });
}

FleetRun::~FleetRun() {
    cancelWrite_ = true;
    if (writer_.joinable()) writer_.join();
    workers_.reset();
}

void FleetRun::Start() {
    Message("signing in to " + config_.server + ":" + std::to_string(config_.port) + " as " + config_.user);
    session_.SignIn();
}

void FleetRun::OnSignedIn() {
    const PlateChoice choice = ChoosePlates(options_, session_.Vehicles(), session_.User());
    if (!choice.error.empty()) {
        Message(choice.error);
        Finish(kFleetUsage);
        return;
    }
    if (options_.listPlates) {
        for (const std::string& plate : choice.plates) {
            std::string group;
            for (const VehicleRecord& r : session_.Vehicles().Records())
                if (r.code == plate) group = r.groupName;
            std::fprintf(streams_.out, "%s\t%s\n", plate.c_str(), group.c_str());
        }
        Message(std::to_string(choice.plates.size()) + " plates");
        Finish(kFleetAllDone);
        return;
    }
    const std::vector<std::string> dates = DatesBetween(options_.from, options_.to);
    report_ = std::make_unique<FleetReport>(PlanVehicleDays(choice.plates, dates, session_.Vehicles()));
    stopsOf_.resize(report_->Total());
    context_.userName = session_.User();
    context_.serverAddress = config_.server;
    context_.webPort = config_.webPort;
    context_.detection.rule = options_.rule.value_or(config_.detection);
    context_.detection.matching = options_.matching.value_or(config_.matching);
    const int jobs = sequential_ ? 1 : options_.jobs;
    workers_ = std::make_unique<FleetWorkers>(
        jobs, session_.Routes(), context_,
        [this](std::size_t index, VehicleDayResult result) {
            auto moved = std::make_shared<VehicleDayResult>(std::move(result));
            QMetaObject::invokeMethod(
                this, [this, index, moved] { OnDetected(index, std::move(*moved)); }, Qt::QueuedConnection);
        });
    Message(std::to_string(report_->Total()) + " vehicle-days (" + std::to_string(choice.plates.size()) +
            " vehicles × " + std::to_string(dates.size()) + " days), rule " +
            std::string(DetectionRuleKey(context_.detection.rule)) + ", matching " +
            std::string(MatchingKey(context_.detection.matching)) +
            (sequential_ ? ", one at a time"
                         : ", " + std::to_string(jobs) + " jobs, " + std::to_string(fetches_.size()) + " fetches"));
    clock_.start();
    if (streams_.terminal) progressTimer_.start(kProgressMs);
    ShowProgress(true);
    RequestNextStopRows();
}

void FleetRun::RequestNextStopRows() {
    if (interrupted_ || done_ || !report_ || asking_ || nextRequest_ >= report_->Total()) return;
    if (awaitingTrack_.size() >= kStopRowsAhead) return;
    if (sequential_) {
        const bool busy = !awaitingTrack_.empty() || detecting_ > 0 ||
                          std::any_of(fetching_.begin(), fetching_.end(), [](std::size_t i) { return i != kNone; });
        if (busy) return;
    }
    asking_ = nextRequest_++;
    session_.RequestStopRows(report_->Day(*asking_));
}

void FleetRun::OnStopRows(std::vector<StopTimeEntry> rows) {
    if (!asking_ || interrupted_) return;
    const std::size_t index = *asking_;
    asking_.reset();
    const std::string& plate = report_->Day(index).plate;
    const bool planned = std::any_of(rows.begin(), rows.end(),
                                     [&](const StopTimeEntry& e) { return EqualsNoCase(e.code, plate); });
    if (planned && !trackServiceDown_.empty()) {
        VehicleDayResult down;
        down.failure = trackServiceDown_;
        Record(index, std::move(down));
    } else if (planned) {
        awaitingTrack_.push_back({index, std::move(rows)});
    } else {
        // Nothing to compare the track with: it is not fetched.
        VehicleDayResult none;
        none.failure = std::string(kNoStopRowsText);
        Record(index, std::move(none));
    }
    // The next request first: the server works on it while this day's track is asked for.
    RequestNextStopRows();
    PumpFetches();
    MaybeFinish();
}

void FleetRun::OnSessionEnded(const QString& why) {
    if (interrupted_ || !report_) return;
    Message("the connection to the server ended: " + S(why));
    // What was not answered never will be; the tracks on their way still count.
    const std::size_t from = asking_ ? *asking_ : nextRequest_;
    asking_.reset();
    for (std::size_t i = from; i < report_->Total(); ++i) {
        if (report_->HasResult(i)) continue;
        VehicleDayResult lost;
        lost.failure = S(why);
        Record(i, std::move(lost));
    }
    nextRequest_ = report_->Total();
    MaybeFinish();
}

void FleetRun::PumpFetches() {
    if (interrupted_) return;
    // Bodies wait in the pool's queue at most two per worker: a day's track is large.
    const std::size_t queueLimit = 2 * static_cast<std::size_t>(sequential_ ? 1 : options_.jobs);
    for (std::size_t k = 0; k < fetches_.size(); ++k) {
        if (fetching_[k] != kNone) continue;
        if (awaitingTrack_.empty() || detecting_ >= queueLimit) return;
        Pending next = std::move(awaitingTrack_.front());
        awaitingTrack_.pop_front();
        const VehicleDay& day = report_->Day(next.index);
        stopsOf_[next.index] = std::move(next.stops);
        const ReportForm form = VehicleDayForm(context_, day);
        const TrackRequest request = BuildTrackRequest(form.serverAddress, form.webPort, day.vehicleId, day.plate,
                                                       form.start, form.end, session_.Wire());
        fetching_[k] = next.index;
        // The query is already percent-encoded in the wire charset; keep its bytes as they are.
        fetches_[k]->Start(QUrl::fromEncoded(QByteArray::fromStdString(request.Url()), QUrl::StrictMode));
    }
}

void FleetRun::OnFetched(TrackFetch* fetch, const QByteArray& body, const QString& failure) {
    const auto k = static_cast<std::size_t>(
        std::find_if(fetches_.begin(), fetches_.end(), [fetch](const auto& f) { return f.get() == fetch; }) -
        fetches_.begin());
    if (k >= fetches_.size() || fetching_[k] == kNone) return;
    const std::size_t index = std::exchange(fetching_[k], kNone);
    if (interrupted_) return;
    if (!failure.isEmpty()) log_.WriteLog("轨迹数据获取失败：" + S(failure));
    failedInARow_ = failure.isEmpty() ? 0 : failedInARow_ + 1;
    VehicleDayInput input{report_->Day(index), std::move(stopsOf_[index]), body.toStdString(), S(failure)};
    ++detecting_;
    workers_->Submit(index, std::move(input));
    if (failedInARow_ >= kGiveUpAfter && trackServiceDown_.empty()) {
        trackServiceDown_ = "轨迹服务不可用（连续" + std::to_string(kGiveUpAfter) + "次失败：" + S(failure) + "）";
        GiveUpTracks();
    }
    PumpFetches();
    RequestNextStopRows();
}

void FleetRun::GiveUpTracks() {
    Message("giving up on the track service: " + trackServiceDown_);
    while (!awaitingTrack_.empty()) {
        const std::size_t index = awaitingTrack_.front().index;
        awaitingTrack_.pop_front();
        VehicleDayResult down;
        down.failure = trackServiceDown_;
        Record(index, std::move(down));
    }
    MaybeFinish();
}

void FleetRun::OnDetected(std::size_t index, VehicleDayResult result) {
    if (detecting_ > 0) --detecting_;
    if (interrupted_ || done_) return;
    Record(index, std::move(result));
    PumpFetches();
    RequestNextStopRows();
    MaybeFinish();
}

void FleetRun::Record(std::size_t index, VehicleDayResult result) {
    if (report_->HasResult(index)) return;
    const std::string failure = result.failure;
    const std::size_t stops = result.rows.size();
    report_->Record(index, std::move(result));
    const ProgressState state{report_->Finished(), report_->Failed(), report_->Total(),
                              static_cast<double>(clock_.elapsed()) / 1000.0};
    if (!streams_.terminal) {
        std::fprintf(streams_.err, "%s\n", VehicleDayLine(state, report_->Day(index), stops, failure).c_str());
        std::fflush(streams_.err);
    } else if (!failure.empty()) {
        Message("failed: " + report_->Day(index).plate + " " + report_->Day(index).date + ": " + failure);
    }
}

void FleetRun::MaybeFinish() {
    if (done_ || interrupted_ || !report_ || !report_->Complete()) return;
    done_ = true;
    progressTimer_.stop();
    ShowProgress(true);
    if (streams_.terminal && progressShown_) std::fputc('\n', streams_.err);
    progressShown_ = false;
    session_.Close();
    workers_.reset();
    Write();
}

void FleetRun::Write() {
    report_->Gather();
    FleetHeading heading;
    heading.company = options_.group.empty() ? session_.User() : options_.group;
    for (const std::string& plate : options_.plates) heading.vehicles += (heading.vehicles.empty() ? "" : ",") + plate;
    heading.from = options_.from;
    heading.to = options_.to;
    heading.rule = std::string(DetectionRuleTitle(context_.detection.rule));
    heading.matching = std::string(MatchingTitle(context_.detection.matching));
    heading.generatedAt = S(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    const OnTimeWindow window{config_.onTimeEarly, config_.onTimeLate};
    auto document = std::make_shared<ExportDocument>(report_->Document(heading, window));
    const CsvCharset charset = CsvCharsetNamed(config_.csvCharset).value_or(CsvCharset::Utf8);
    writer_ = std::thread([this, document, charset] {
        const ExportProgress progress = [this](std::size_t) { return !cancelWrite_.load(); };
        ExportResult result = options_.format == FleetFormat::Csv
                                  ? WriteCsv(*document, options_.out, charset, progress)
                                  : WriteXlsx(*document, options_.out, progress);
        auto moved = std::make_shared<ExportResult>(std::move(result));
        QMetaObject::invokeMethod(this, [this, moved] { OnWritten(std::move(*moved)); }, Qt::QueuedConnection);
    });
}

void FleetRun::OnWritten(ExportResult result) {
    if (writer_.joinable()) writer_.join();
    const OnTimeWindow window{config_.onTimeEarly, config_.onTimeLate};
    const double seconds = static_cast<double>(clock_.elapsed()) / 1000.0;
    switch (result.status) {
        case ExportResult::Status::Cancelled:
            Message("interrupted: nothing written to " + options_.out);
            Finish(kFleetInterrupted);
            return;
        case ExportResult::Status::Failed:
            std::fputs(report_->SummaryText(window, seconds).c_str(), streams_.out);
            Message("the report was not written: " + result.error);
            Finish(kFleetNotWritten);
            return;
        case ExportResult::Status::Written:
            break;
    }
    std::fputs(report_->SummaryText(window, seconds).c_str(), streams_.out);
    std::fprintf(streams_.out, "written: %s\n", options_.out.c_str());
    std::fflush(streams_.out);
    Finish(report_->Failed() > 0 ? kFleetSomeFailed : kFleetAllDone);
}

void FleetRun::Interrupt() {
    if (interrupted_) return;
    interrupted_ = true;
    progressTimer_.stop();
    for (const auto& fetch : fetches_) fetch->Abort();
    if (workers_) workers_->Stop();
    session_.Close();
    if (writer_.joinable()) {
        // The writer stops at its next check and leaves no file; OnWritten finishes.
        cancelWrite_ = true;
        Message("interrupted: stopping the writer");
        return;
    }
    Message("interrupted: nothing written");
    Finish(kFleetInterrupted);
}

void FleetRun::Finish(int status) {
    if (std::exchange(finished_, true)) return;
    progressTimer_.stop();
    if (streams_.terminal && progressShown_) {
        std::fputc('\n', streams_.err);
        progressShown_ = false;
    }
    std::fflush(streams_.err);
    std::fflush(streams_.out);
    emit finished(status);
}

void FleetRun::Message(const std::string& text) {
    if (streams_.terminal && progressShown_) std::fputs("\r\033[K", streams_.err);
    std::fprintf(streams_.err, "fenwarde-report: %s\n", text.c_str());
    if (streams_.terminal && progressShown_) ShowProgress(true);
    std::fflush(streams_.err);
}

void FleetRun::ShowProgress(bool force) {
    if (!streams_.terminal || !report_ || (done_ && !force)) return;
    const ProgressState state{report_->Finished(), report_->Failed(), report_->Total(),
                              static_cast<double>(clock_.elapsed()) / 1000.0};
    std::fprintf(streams_.err, "\r%s\033[K", ProgressLine(state).c_str());
    std::fflush(streams_.err);
    progressShown_ = true;
}

}  // namespace fw
