#pragma once

#include <QDate>
#include <QImage>
#include <QVector>
#include <functional>
#include <optional>
#include <string>

#include "net/Dispatcher.h"
#include "reports/ReportForm.h"
#include "skin/CUIWnd.h"

class QComboBox;

namespace fw {

class DocumentHold;
class LogSink;
class ReportListModel;
class ReportRunner;
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
    QVector<QImage> rowImages;  // the list's small image list
};

// The punctuality report page ("线路运行报表"): a company, a vehicle and a range; "查询" lists
// the server's report rows, "生成报表" asks for the vehicle's planned stops and, when they are
// all in (9019 "batch"), runs the report on its GPS track. The run never blocks the window.
class ReportWindow : public CUIWnd, public ReportEvents {
    Q_OBJECT
public:
    ReportWindow(ReportSession session, QWidget* owner);
    ~ReportWindow() override;

    // Offers from the receive dispatcher (1009, 1011): select the first item the text begins,
    // else add it.
    void AddGroupChoice(const std::string& group);
    void AddVehicleChoice(const std::string& plate);
    // The company chosen: its vehicles, or every vehicle for the user's own name.
    void FillVehicleCombo();
    void QueryReport();       // "查询"
    void RequestStopTimes();  // "生成报表"
    void DisableReportControls();
    void EnableReportControls();

    // ReportEvents
    bool ReportBatchEnded(bool runReport) override;
    void AddReportRow(const Message& message) override;

    // The login ended: a run stops, the documents it held are dropped, the list is emptied and
    // the inputs are usable again.
    void EndLogin();

    bool IsRunning() const;
    ReportListModel& Model() const { return *model_; }
    ReportRunner& Runner() const { return *runner_; }

signals:
    // A run has ended and its rows are listed (also when it ended in a message).
    void reportListed();

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    bool WantsModelList(int controlId) const override;

private:
    ReportForm ReadForm() const;
    StatusFilter ReadFilter() const;
    bool RunReport();
    void OnRunFinished();
    void ShowProgress(qint64 received, qint64 total);
    void SetBusy(bool busy);
    // The rule that made the listed real times, or none (no run's rows listed).
    void ShowRule(std::optional<DetectionRule> rule);
    QComboBox* Groups() const;
    QComboBox* Plates() const;

    ReportSession session_;
    ReportListModel* model_;
    ReportRunner* runner_;
    int logins_ = 0;  // counts ended logins, so a step that ran a modal box knows
};

}  // namespace fw
