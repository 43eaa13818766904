#include "reports/ReportRunner.h"

#include <QUrl>

#include "text/LogSink.h"

namespace fw {

ReportRunner::ReportRunner(StopTimeTable& table, RouteStore& routes, const VehicleStore& vehicles,
                           LogSink* log, QObject* parent)
    : QObject(parent), table_(table), routes_(routes), vehicles_(vehicles), log_(log) {
    connect(&fetch_, &TrackFetch::progress, this, &ReportRunner::progress);
    connect(&fetch_, &TrackFetch::finished, this, &ReportRunner::OnFetched);
}

std::optional<std::string> ReportRunner::Start(const ReportForm& form) {
    Abort();
    ReportRun run(table_, routes_, vehicles_, log_, wire_);
    ReportRun::Start start = run.Begin(form);
    if (!start.proceed) return start.message;
    form_ = form;
    result_ = Result();
    running_ = true;
    // The query is already percent-encoded in the wire charset; keep its bytes as they are.
    fetch_.Start(
        QUrl::fromEncoded(QByteArray::fromStdString(start.request.Url()), QUrl::StrictMode));
    return std::nullopt;
}

void ReportRunner::Abort() {
    fetch_.Abort();
    running_ = false;
}

void ReportRunner::OnFetched(const QByteArray& body, const QString& failure) {
    if (!failure.isEmpty() && log_ != nullptr)
        log_->WriteLog("轨迹数据获取失败：" + failure.toStdString());
    ReportRun run(table_, routes_, vehicles_, log_, wire_);
    result_.failure = failure;
    result_.outcome =
        run.Finish(form_, std::string_view(body.constData(), static_cast<std::size_t>(body.size())),
                   result_.rows);
    result_.message = result_.outcome.message;
    running_ = false;
    emit finished();
}

}  // namespace fw
