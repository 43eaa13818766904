#pragma once

#include <vector>

#include "reports/ExportFolder.h"
#include "reports/Punctuality.h"
#include "reports/ReportExport.h"
#include "skin/CUIWnd.h"

class QChart;
class QChartView;

namespace fw {

// The punctuality charts of a listed report ("图表"): lateness at each stop along the route, one
// line per batch over the on-time band, and the histogram of arrival deviations. It shows the
// rows it was given, whatever the list does afterwards; "导出图片" saves both charts as a PNG.
class ChartWindow : public CUIWnd {
    Q_OBJECT
public:
    ChartWindow(const ExportFolder& folder, QWidget* owner);

    void ShowList(std::vector<ReportRow> rows, ReportHeading heading, OnTimeWindow window);
    // Both charts, one above the other, into a PNG file; false with the reason for the user.
    bool SaveImage(const QString& path, QString* error) const;

    QChartView* LatenessView() const { return views_[0]; }
    QChartView* DeviationView() const { return views_[1]; }
    std::size_t RowCount() const { return rows_.size(); }

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    void ExportImage();

    const ExportFolder& folder_;
    QChartView* views_[2] = {nullptr, nullptr};
    std::vector<ReportRow> rows_;
    ReportHeading heading_;
    OnTimeWindow window_;
};

}  // namespace fw
