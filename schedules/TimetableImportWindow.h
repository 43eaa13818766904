#pragma once

#include <QPointer>
#include <QTimer>

#include <memory>

#include "schedules/ScheduleLink.h"
#include "schedules/Timetable.h"
#include "skin/CUIWnd.h"

namespace fw {

class ScheduleSetupWindow;
class TimetableListModel;
class TimetableReadJob;

// The upper half of schedule creation: "上传文件" reads a timetable (.xls, .xlsx or .csv) into the
// list of departures and gives its batches to the vehicle grid below as columns. The file is
// read on a thread of its own: meanwhile progress shows beside the button, which reads "取消".
class TimetableImportWindow : public CUIWnd {
    Q_OBJECT
public:
    // Every format the import reads, then each alone.
    static constexpr const char* kFilter =
        "表格文件 (*.xls *.xlsx *.csv);;Excel 97-2003 工作簿 (*.xls);;Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)";
    static constexpr const char* kUpload = "上传文件";
    static constexpr const char* kCancel = "取消";

    TimetableImportWindow(ScheduleLink link, QWidget* owner);
    ~TimetableImportWindow() override;
    void SetSetupWindow(ScheduleSetupWindow* setup) { setup_ = setup; }

    // Empties the list and the grid, asks for a workbook and starts reading it. A cancelled
    // dialog, a cancelled reading or a workbook that cannot be used leaves both empty; the date
    // rows are rebuilt in every case once the reading is over.
    void ImportTimetable();
    // Stops a reading under way (the button, while it reads "取消").
    void CancelImport();
    bool IsReading() const;

    // The departures of the imported timetable; empty while none is.
    const DepartureList& Departures() const;
    QString TimetablePath() const;
    // Forgets the timetable and its path (after a save, or when the form is cancelled).
    void ClearTimetable();
    // While a schedule is being saved its timetable stays as it is.
    void SetImportEnabled(bool enabled);

protected:
    void InitSkinWindowId() override;
    bool WantsModelList(int controlId) const override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetUpList();
    void ReadingFinished();
    void ShowReading(bool reading);
    void ShowProgress();

    ScheduleLink link_;
    QPointer<ScheduleSetupWindow> setup_;
    TimetableListModel* model_ = nullptr;
    std::unique_ptr<TimetableReadJob> job_;
    QString readingPath_;
    QTimer progressTimer_;
};

}  // namespace fw
