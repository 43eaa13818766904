#include "reports/ChartWindow.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QVBoxLayout>

#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "reports/PunctualityChart.h"
#include "reports/ReplacingFile.h"
#include "res/RESOURCE.H"

namespace fw {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The size the charts are drawn at for a file: the size the window shows them at.
constexpr QSize kChartSize(980, 290);

}  // namespace

ChartWindow::ChartWindow(const ExportFolder& folder, QWidget* owner)
    : CUIWnd(owner), folder_(folder) {}

void ChartWindow::InitSkinWindowId() { SetSkinWindowId(IDW_BAOBIAO_CHART); }

bool ChartWindow::OnCreate() {
    const int areas[2] = {IDC_STA_CHART_LINE, IDC_STA_CHART_HIST};
    if (Item<QLabel>(IDC_STA_CHART_SUBJECT) == nullptr || GetDlgItem(IDC_BTN_CHART_PNG) == nullptr)
        return false;
    for (int i = 0; i < 2; ++i) {
        auto* area = Item<QLabel>(areas[i]);
        if (area == nullptr) return false;
        // The skin places the area; the chart view fills it.
        auto* layout = new QVBoxLayout(area);
        layout->setContentsMargins(0, 0, 0, 0);
        views_[i] = new QChartView(area);
        views_[i]->setRenderHint(QPainter::Antialiasing);
        views_[i]->setObjectName(i == 0 ? QStringLiteral("lateness") : QStringLiteral("deviation"));
        layout->addWidget(views_[i]);
    }
    setWindowTitle(QStringLiteral("准点图表"));
    return true;
}

void ChartWindow::ShowList(std::vector<ReportRow> rows, ReportHeading heading,
                           OnTimeWindow window) {
    rows_ = std::move(rows);
    heading_ = std::move(heading);
    window_ = window;
    const std::string subject = heading_.plate.empty() ? heading_.company : heading_.plate;
    Item<QLabel>(IDC_STA_CHART_SUBJECT)
        ->setText(QStringLiteral("%1　%2 至 %3　共 %4 站次　准点：%5")
                      .arg(Q(subject), Q(heading_.start), Q(heading_.end))
                      .arg(rows_.size())
                      .arg(Q(DescribeWindow(window_))));
    // A view owns its chart and drops the one it showed before.
    views_[0]->setChart(MakeLatenessChart(LatenessAlongRoute(rows_), window_).release());
    views_[1]->setChart(MakeDeviationChart(ArrivalHistogram(rows_, window_), window_).release());
}

bool ChartWindow::SaveImage(const QString& path, QString* error) const {
    const QImage image = ChartImage(DrawCharts(rows_, window_, kChartSize), 2.0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        *error = QStringLiteral("无法生成图片");
        return false;
    }
    ReplacingFile file(path.toStdString());
    std::string why;
    const std::string_view data(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (file.Open(&why) && file.Write(data, &why) && file.Commit(&why)) return true;
    *error = Q(why);
    return false;
}

void ChartWindow::ExportImage() {
    const QString proposal = folder_.Proposal(ExportFileName(heading_, "图表", "png"));
    QString path = ChooseFileToSave(this, QStringLiteral("PNG 图片 (*.png)"), proposal);
    if (path.isEmpty()) return;
    path = WithSuffix(path, QStringLiteral("png"));
    QString error;
    if (SaveImage(path, &error)) {
        folder_.Chosen(path);  // only a folder that took a file is proposed again
        ShowMessage(this, QStringLiteral("已导出图片：\n%1").arg(path));
    } else
        ShowMessage(this, QStringLiteral("导出图片失败：%1").arg(error));
}

void ChartWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_BTN_CHART_PNG) ExportImage();
}

}  // namespace fw
