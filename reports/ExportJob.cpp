#include "reports/ExportJob.h"

#include <QThread>

#include "reports/PdfWriter.h"
#include "reports/ReportDocument.h"
#include "reports/XlsxWriter.h"

namespace fw {

struct ExportJob::State {
    Request request;
    std::atomic<bool> cancel{false};
    ExportResult result;
};

ExportJob::ExportJob(QObject* parent) : QObject(parent) {}

ExportJob::~ExportJob() { Abort(); }

ExportResult ExportJob::Run(const Request& request, const ExportProgress& progress) {
    const ExportDocument document = ReportDocument(request.heading, request.rows, request.window);
    switch (request.format) {
        case ExportFormat::Xlsx:
            return WriteXlsx(document, request.path, progress);
        case ExportFormat::Csv:
            return WriteCsv(document, request.path, request.charset, progress);
        case ExportFormat::Pdf:
            return WritePdf(document, request.path, request.charts, progress);
    }
    return ExportResult::Failure("unknown format");
}

void ExportJob::Start(Request request) {
    Abort();
    state_ = std::make_shared<State>();
    state_->request = std::move(request);
    const int generation = ++generation_;
    std::shared_ptr<State> state = state_;
    // The job outlives its thread (the destructor waits), so the thread may post to it.
    thread_ = QThread::create([this, state, generation] {
        const auto total = static_cast<qint64>(state->request.rows.size());
        state->result = Run(state->request, [this, state, generation, total](std::size_t done) {
            if (state->cancel) return false;
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, total] {
                    if (generation == generation_) emit progress(static_cast<qint64>(done), total);
                },
                Qt::QueuedConnection);
            return true;
        });
    });
    connect(thread_, &QThread::finished, this, &ExportJob::OnThreadFinished);
    thread_->start();
}

void ExportJob::Cancel() {
    if (state_) state_->cancel = true;
}

void ExportJob::Abort() {
    if (thread_ == nullptr) return;
    state_->cancel = true;
    disconnect(thread_, nullptr, this, nullptr);
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    ++generation_;
}

void ExportJob::OnThreadFinished() {
    if (thread_ == nullptr) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    result_ = state_->result;
    ++generation_;  // progress still queued is old news
    emit finished();
}

}  // namespace fw
