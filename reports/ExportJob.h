#pragma once

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reports/CsvWriter.h"
#include "reports/Punctuality.h"
#include "reports/PunctualityChart.h"
#include "reports/ReportExport.h"

class QThread;

namespace fw {

// One export on a thread of its own, so that the window stays responsive through a long list:
// the job works on its own copy of the rows, tells its progress on the interface thread, and
// stops at the next batch of rows when cancelled (the file it was writing is removed).
class ExportJob : public QObject {
    Q_OBJECT
public:
    struct Request {
        ExportFormat format = ExportFormat::Xlsx;
        std::string path;
        ReportHeading heading;
        std::vector<ReportRow> rows;
        OnTimeWindow window;
        CsvCharset charset = CsvCharset::Utf8;
        std::optional<ChartDrawing> charts;  // the PDF's last page
    };

    explicit ExportJob(QObject* parent = nullptr);
    ~ExportJob() override;  // stops a running export and waits for it

    void Start(Request request);
    // Asks the export to stop; finished() follows with a cancelled result.
    void Cancel();
    // Stops the export and waits for it: no finished() follows.
    void Abort();
    bool IsRunning() const { return thread_ != nullptr; }
    // The result once finished() has been emitted.
    const ExportResult& Result() const { return result_; }

    // The export itself, on whatever thread calls it.
    static ExportResult Run(const Request& request, const ExportProgress& progress);

signals:
    void progress(qint64 written, qint64 total);
    void finished();

private:
    struct State;
    void OnThreadFinished();

    std::shared_ptr<State> state_;
    QThread* thread_ = nullptr;
    ExportResult result_;
    int generation_ = 0;  // progress from an aborted export is not told
};

}  // namespace fw
