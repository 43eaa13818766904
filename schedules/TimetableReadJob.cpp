#include "schedules/TimetableReadJob.h"

#include <QThread>

namespace fw {

struct TimetableReadJob::State {
    std::string path;
    ReadControl control;
    TimetableImport result;
};

TimetableReadJob::TimetableReadJob(QObject* parent) : QObject(parent) {}

TimetableReadJob::~TimetableReadJob() {
    if (thread_ == nullptr) return;
    state_->control.Cancel();
    disconnect(thread_, nullptr, this, nullptr);
    thread_->wait();
    delete thread_;
}

void TimetableReadJob::Start(std::string path) {
    if (thread_ != nullptr) return;
    state_ = std::make_shared<State>();
    state_->path = std::move(path);
    std::shared_ptr<State> state = state_;
    thread_ = QThread::create([state] { state->result = ImportTimetableWorkbook(state->path, &state->control); });
    connect(thread_, &QThread::finished, this, &TimetableReadJob::OnThreadFinished);
    thread_->start();
}

void TimetableReadJob::Cancel() {
    if (state_) state_->control.Cancel();
}

int TimetableReadJob::Permille() const { return state_ ? state_->control.Permille() : 0; }

void TimetableReadJob::OnThreadFinished() {
    if (thread_ == nullptr) return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    result_ = std::move(state_->result);
    if (state_->control.Cancelled()) {
        result_ = {};
        result_.cancelled = true;
    }
    state_.reset();
    emit finished();
}

}  // namespace fw
