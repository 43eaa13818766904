#pragma once

#include <QPointer>

#include <vector>

#include "net/Requests.h"
#include "schedules/ScheduleLink.h"
#include "skin/CUIWnd.h"

namespace fw {

class ScheduleSetupWindow;
class SkinListCtrl;

// The upper half of schedule creation: "上传文件" reads a timetable (.xls, .xlsx or .csv) into the
// list of departures and gives its batches to the vehicle grid below as columns.
class TimetableImportWindow : public CUIWnd {
    Q_OBJECT
public:
    // Every format the import reads, then each alone.
    static constexpr const char* kFilter =
        "表格文件 (*.xls *.xlsx *.csv);;Excel 97-2003 工作簿 (*.xls);;Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv)";

    TimetableImportWindow(ScheduleLink link, QWidget* owner);
    void SetSetupWindow(ScheduleSetupWindow* setup) { setup_ = setup; }

    // Empties the list and the grid, asks for a workbook and reads it. A cancelled dialog or a
    // workbook that cannot be used leaves both empty; the date rows are rebuilt in every case.
    void ImportTimetable();
    const std::vector<TimetableRow>& Rows() const { return rows_; }
    QString TimetablePath() const;
    // Forgets the timetable and its path (after a save, or when the form is cancelled).
    void ClearTimetable();
    // While a schedule is being saved its timetable stays as it is.
    void SetImportEnabled(bool enabled);

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowRows();

    ScheduleLink link_;
    QPointer<ScheduleSetupWindow> setup_;
    std::vector<TimetableRow> rows_;
    SkinListCtrl* view_ = nullptr;
};

}  // namespace fw
