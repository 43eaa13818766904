#pragma once

#include <QObject>

#include <memory>
#include <string>

#include "schedules/Timetable.h"

class QThread;

namespace fw {

// Reads one timetable file on a thread of its own, so the window stays responsive through a
// long file: progress() while it reads, finished() once the result is there (a cancelled one
// too). Deleting the job stops the reading and waits for it.
class TimetableReadJob : public QObject {
    Q_OBJECT
public:
    explicit TimetableReadJob(QObject* parent = nullptr);
    ~TimetableReadJob() override;

    void Start(std::string path);
    // Asks the reading to stop; finished() follows with a cancelled result.
    void Cancel();
    bool IsRunning() const { return thread_ != nullptr; }
    int Permille() const;
    // The result once finished() has been emitted; taken once.
    TimetableImport TakeResult() { return std::move(result_); }

signals:
    void finished();

private:
    struct State;
    void OnThreadFinished();

    std::shared_ptr<State> state_;
    QThread* thread_ = nullptr;
    TimetableImport result_;
};

}  // namespace fw
