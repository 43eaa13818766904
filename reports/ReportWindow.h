#pragma once

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QVector>

#include <functional>
#include <optional>
#include <string>

#include "net/Dispatcher.h"
#include "reports/ExportFolder.h"
#include "reports/ReportDays.h"
#include "reports/ReportExport.h"
#include "reports/ReportForm.h"
#include "reports/ReportRunner.h"
#include "skin/CUIWnd.h"

class QComboBox;

namespace fw {

class ChartWindow;
class DocumentHold;
class ExportJob;
class LogSink;
class ReportListModel;
class RouteStore;
class StopTimeTable;
class TextCodec;
class VehicleStore;
struct LoginConfig;

// What the report window works with: the stores and values of the login, the link to the
// server, and the hold where documents wait while a run fetches its track.
struct ReportSession {
    StopTimeTable& stopTimes;
    RouteStore& routes;
    const VehicleStore& vehicles;
    const LoginConfig& login;  // user, server and web port, read when they are needed
    const TextCodec& wire;
    LogSink& log;
    std::function<bool(const Json::Value&)> send;  // false: the send ended the login
    DocumentHold* hold = nullptr;
    Dispatcher* dispatcher = nullptr;  // the window takes 9019 and 9021 from it
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    QVector<QImage> rowImages;  // the list's small image list
    // Where an export went, to open the next save dialog there (conf.ini: ExportFolder).
    std::function<void(const std::string&)> rememberExportFolder = {};
};

// The punctuality report page ("线路运行报表"): a company, a vehicle and a range; "查询" lists
// the server's report rows, "生成报表" asks for the vehicle's planned stops and, when they are
// all in (9019 "batch"), runs the report on its GPS track. The run never blocks the window.
// "导出" writes the list as it is shown to an Excel workbook, a CSV or a PDF file (the format of
// the "报表类型" radios), "图表" opens its charts.
class ReportWindow : public CUIWnd, public ReportEvents {
    Q_OBJECT
public:
    ReportWindow(ReportSession session, QWidget* owner);
    ~ReportWindow() override;

    // Offers from the receive dispatcher (1009, 1011): select the first item the text begins,
    // else add it. With keepChoice (the server announcing them again after a re-login) only
    // what is missing is added and the dispatcher's choice stays.
    void AddGroupChoice(const std::string& group, bool keepChoice = false);
    void AddVehicleChoice(const std::string& plate, bool keepChoice = false);
    // The company chosen: its vehicles, or every vehicle for the user's own name.
    void FillVehicleCombo();
    void QueryReport();       // "查询"
    // "生成报表": a range of several days (at most 31) is run day by day into one list.
    void RequestStopTimes();
    void DisableReportControls();
    void EnableReportControls();
    // "导出": asks where, then writes the listed rows on a thread of its own; pressed again
    // ("取消") while it writes, it cancels. Documents received meanwhile wait, as in a run.
    void ExportList();
    void ShowCharts();  // "图表"

    // ReportEvents
    bool ReportBatchEnded(bool runReport) override;
    void AddReportRow(const Message& message) override;

    // The login ended: a run stops, the documents it held are dropped, the list is emptied and
    // the inputs are usable again.
    void EndLogin();
    // The connection went: a request still waiting for the server's rows will not get them;
    // the inputs are usable again and the rows listed so far stay. A run fetching its track
    // goes on (the track comes over HTTP); when the track does not come it lists its rows and
    // says the report is not complete.
    void ConnectionLost();

    bool IsRunning() const;
    bool IsExporting() const;
    ReportListModel& Model() const { return *model_; }
    ReportRunner& Runner() const { return *runner_; }
    ChartWindow* Charts() const;
    // Where the listed rows came from, for the header block of an export.
    const ReportHeading& Listed() const { return listed_; }

signals:
    // A run has ended and its rows are listed (also when it ended in a message).
    void reportListed();
    // An export has ended: written, failed or cancelled, and told.
    void exportEnded();

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    bool WantsModelList(int controlId) const override;

private:
    ReportForm ReadForm() const;
    StatusFilter ReadFilter() const;
    bool RequestDay(ReportForm form);
    bool RunReport();
    void OnRunFinished();
    void FinishRun(ReportRunner::Result result);
    void ShowProgress(qint64 received, qint64 total);
    void SetBusy(bool busy);
    void UpdateExportButtons();
    ExportFormat ReadFormat() const;
    void ShowExportProgress(qint64 written, qint64 total);
    void OnExportFinished();
    // The rule that made the listed real times, or none (no run's rows listed).
    void ShowRule(std::optional<DetectionRule> rule, Matching matching = Matching::Nearest);
    QComboBox* Groups() const;
    QComboBox* Plates() const;

    ReportSession session_;
    ReportListModel* model_;
    ReportRunner* runner_;
    ExportJob* export_;
    ExportFolder folder_;
    QPointer<ChartWindow> charts_;
    ReportHeading listed_;
    std::optional<DetectionRule> shownRule_;
    ReportDays days_;
    bool awaitingDay_ = false;  // a day's stops were asked for and its batch end is to come
    QString exportPath_;
    std::size_t exportRows_ = 0;
    int logins_ = 0;  // counts ended logins, so a step that ran a modal box knows
    bool awaitingServer_ = false;  // 9016 or 9018 sent, its 9019 not yet in
    bool lostDuringRun_ = false;   // the connection went while the run fetched its track
    static constexpr int kLossGraceMs = 300;
    QTimer lossGrace_;             // a failed transfer waits this long for news of the connection
    std::optional<ReportRunner::Result> unfinished_;
};

}  // namespace fw
