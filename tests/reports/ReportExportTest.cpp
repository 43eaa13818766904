// The report window's "导出" and "图表": the buttons' states, the save dialog's proposal, the
// export on its own thread with progress and cancel, what is told, and the chart window.
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedBarSeries>
#include <filesystem>

#include "reports/ChartWindow.h"
#include "tests/reports/HandmadeList.h"
#include "tests/reports/ReportPage.h"
#include "tests/support/WaitFor.h"

namespace fw {
namespace {

using test::Row9021;

class ReportExport : public test::ReportPage {
protected:
    void SetUp() override {
        ReportPage::SetUp();
        folder = home.File("导出 目录");
        std::filesystem::create_directory(folder);
    }
    // "查询", and the server's rows and end.
    void QueryRows(const std::vector<std::string>& rows) {
        Click(IDC_BTN_STAT_SEARCH);
        for (const std::string& row : rows) Receive(row);
        Receive(test::kQueryEnd);
    }
    void ListRun(const std::vector<ReportRow>& rows) {
        ReportList list;
        for (const ReportRow& row : rows) list.Add(row, StatusFilter::All);
        window->Model().AddRunRows(std::move(list));
    }
    bool ExportAndWait(const std::string& path) {
        answer = path;
        QSignalSpy ended(window.get(), &ReportWindow::exportEnded);
        Click(IDC_BTN_STAT_EXPORT);
        return ended.wait(30000) || ended.count() > 0;
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        return names;
    }

    std::string folder;
};

TEST_F(ReportExport, ButtonsFollowTheListAndThePendingRequest) {
    for (int id : {IDC_STA_STAT_LEIXING, IDC_RAD_STAT_TYPE_PDF, IDC_RAD_STAT_TYPE_EXCEL,
                   IDC_RAD_STAT_TYPE_CSV, IDC_BTN_STAT_EXPORT, IDC_BTN_STAT_CHART})
        EXPECT_FALSE(window->GetDlgItem(id)->isHidden()) << id;
    EXPECT_TRUE(Control<QRadioButton>(IDC_RAD_STAT_TYPE_EXCEL)->isChecked());
    auto state = [&] {
        return std::string(Button(IDC_BTN_STAT_EXPORT)->isEnabled() ? "export" : "-") + "/" +
               (Button(IDC_BTN_STAT_CHART)->isEnabled() ? "chart" : "-");
    };
    // An empty list can be exported (its header), not charted.
    EXPECT_EQ(state(), "export/-");
    Receive(Row9021("2014-08-25 08:00:00"));
    EXPECT_EQ(state(), "export/chart");
    // While a query is pending the list is not whole: neither.
    Click(IDC_BTN_STAT_SEARCH);
    EXPECT_EQ(state(), "-/-");
    Receive(Row9021("2014-08-25 08:00:00"));
    EXPECT_EQ(state(), "-/-");
    Receive(test::kQueryEnd);
    EXPECT_EQ(state(), "export/chart");
    // The format radios are one group.
    Click(IDC_RAD_STAT_TYPE_CSV);
    EXPECT_FALSE(Control<QRadioButton>(IDC_RAD_STAT_TYPE_EXCEL)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(IDC_RAD_STAT_ZT_ALL)->isChecked());
}

TEST_F(ReportExport, WritesTheListAsShownWhereTheUserChose) {
    Groups()->setCurrentIndex(Groups()->findText("一公司"));
    Plates()->setEditText("浙A3W066");
    QueryRows({Row9021("2014-08-25 09:00:00", "2014-08-25 09:05:30"),
               Row9021("2014-08-25 08:00:00", "2014-08-25 07:59:00"),
               Row9021("2014-08-25 10:00:00", "", "=1+2")});  // an id no vehicle has
    Click(IDC_RAD_STAT_TYPE_CSV);
    // A name typed without its suffix gets it.
    ASSERT_TRUE(ExportAndWait(folder + "/我的 报表"));
    ASSERT_EQ(proposals.size(), 1u);
    EXPECT_EQ(proposals[0], home.Path() + "/报表_浙A3W066_2014-08-25.csv");
    EXPECT_EQ(filters[0], "CSV 文件 (*.csv)");
    const std::string path = folder + "/我的 报表.csv";
    EXPECT_EQ(boxes, std::vector<std::string>{"已导出 3 行：\n" + path});
    const std::string text = test::ReadFile(path);
    EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    // The lateness headings pair with the planned times', as fenwarde-report heads them; a
    // plate that would be a formula is text.
    for (const char* line : {"公司,一公司\r\n", "车牌号,浙A3W066\r\n",
                             "时间范围,2014-08-25 05:00:00 至 2014-08-25 21:00:00\r\n",
                             "判定规则,服务器报表\r\n", "匹配方式,\r\n", "生成时间,2014-08-26 09:30:00\r\n",
                             "计划到达时间,实际到达时间,到达迟到,计划离开时间,实际离开时间,离开久滞\r\n",
                             "\r\n'=1+2,早班,"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // In the list's order (planned), with its texts.
    const std::size_t first = text.find("2014-08-25 08:00:00,2014-08-25 07:59:00");
    const std::size_t second = text.find("2014-08-25 09:00:00,2014-08-25 09:05:30,迟到00:05:30");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_NE(text.find("\"定安路, 北\""), std::string::npos);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"我的 报表.csv"});

    // The folder is remembered for the next proposal; the workbook is a zip.
    EXPECT_EQ(login.exportFolder, folder);
    Click(IDC_RAD_STAT_TYPE_EXCEL);
    ASSERT_TRUE(ExportAndWait(folder + "/报表.xlsx"));
    EXPECT_EQ(proposals[1], folder + "/报表_浙A3W066_2014-08-25.xlsx");
    EXPECT_EQ(test::ReadFile(folder + "/报表.xlsx").substr(0, 2), "PK");
    EXPECT_TRUE(Button(IDC_BTN_STAT_SEARCH)->isEnabled());

    // conf.ini's CsvCharset=GBK: GBK bytes, no byte-order mark.
    login.csvCharset = "GBK";
    Click(IDC_RAD_STAT_TYPE_CSV);
    ASSERT_TRUE(ExportAndWait(folder + "/gbk.csv"));
    const std::string gbk = test::ReadFile(folder + "/gbk.csv");
    EXPECT_EQ(GbkToUtf8(gbk), text.substr(3));
}

TEST_F(ReportExport, AnEmptyListIsExportedWithItsHeaderAndSaysSo) {
    Click(IDC_RAD_STAT_TYPE_PDF);
    ASSERT_TRUE(ExportAndWait(folder + "/空.pdf"));
    EXPECT_EQ(filters[0], "PDF 文件 (*.pdf)");
    EXPECT_EQ(boxes,
              std::vector<std::string>{"列表为空，已导出只含表头的文件：\n" + folder + "/空.pdf"});
    EXPECT_EQ(test::ReadFile(folder + "/空.pdf").substr(0, 5), "%PDF-");
    // Nothing listed yet: the proposal names what the controls show.
    EXPECT_EQ(proposals[0],
              home.Path() + "/报表_" + Plates()->currentText().toStdString() + "_2014-08-25.pdf");
}

TEST_F(ReportExport, ACancelledDialogOrAFailureLeavesNothing) {
    Receive(Row9021("2014-08-25 08:00:00"));
    answer.clear();  // the dialog is cancelled
    Click(IDC_BTN_STAT_EXPORT);
    EXPECT_FALSE(window->IsExporting());
    EXPECT_TRUE(boxes.empty());

    ASSERT_TRUE(ExportAndWait(folder + "/没有/报表.xlsx"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "导出失败：无法写入“" + folder + "/没有/报表.xlsx”：文件夹不存在");
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_EQ(window->Model().rowCount(), 1);
    EXPECT_TRUE(Button(IDC_BTN_STAT_SEARCH)->isEnabled());
    EXPECT_EQ(login.exportFolder, home.Path());  // a folder that took no file is not proposed
}

TEST_F(ReportExport, ALongExportShowsProgressHoldsWhatArrivesAndCanBeCancelled) {
    ListRun(test::LongList(10000));
    Click(IDC_RAD_STAT_TYPE_PDF);
    answer = folder + "/报表.pdf";
    QSignalSpy ended(window.get(), &ReportWindow::exportEnded);
    Click(IDC_BTN_STAT_EXPORT);
    ASSERT_TRUE(window->IsExporting());
    EXPECT_EQ(Button(IDC_BTN_STAT_EXPORT)->text(), "取消");
    EXPECT_TRUE(Button(IDC_BTN_STAT_EXPORT)->isEnabled());
    EXPECT_FALSE(Button(IDC_BTN_STAT_CHART)->isEnabled());
    EXPECT_FALSE(Button(IDC_BTN_STAT_SEARCH)->isEnabled());
    auto* label = Control<QLabel>(IDC_STA_STAT_TRACK);
    EXPECT_TRUE(label->isVisibleTo(window.get()));
    // Rows written are told as they go.
    ASSERT_TRUE(test::WaitFor([&] {
        return label->text().contains("/ 10000 行") && !label->text().startsWith("正在导出… 0 ");
    }));
    EXPECT_TRUE(label->text().startsWith("正在导出… ")) << label->text().toStdString();
    // What the server sends meanwhile waits for the export.
    Receive(Row9021("2014-08-25 04:00:00"));
    EXPECT_EQ(hold.Waiting(), 1u);

    Click(IDC_BTN_STAT_EXPORT);  // 取消
    ASSERT_TRUE(ended.wait(30000) || ended.count() > 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_EQ(Button(IDC_BTN_STAT_EXPORT)->text(), "导出");
    EXPECT_TRUE(Button(IDC_BTN_STAT_SEARCH)->isEnabled());
    EXPECT_FALSE(label->isVisibleTo(window.get()));
    EXPECT_EQ(hold.Waiting(), 0u);
    EXPECT_EQ(window->Model().rowCount(), 10001);

    // Logging out stops an export as quietly.
    Click(IDC_BTN_STAT_EXPORT);
    ASSERT_TRUE(window->IsExporting());
    window->EndLogin();
    EXPECT_FALSE(window->IsExporting());
    EXPECT_FALSE(hold.Holding());
    EXPECT_TRUE(FolderEntries().empty());
    EXPECT_TRUE(Button(IDC_BTN_STAT_SEARCH)->isEnabled());
    EXPECT_FALSE(ended.wait(200));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ReportExport, ChartsShowTheListedRowsAndSaveAsAnImage) {
    login.onTimeLate = 300;
    ListRun(test::HandmadeList());
    Click(IDC_BTN_STAT_CHART);
    ChartWindow* charts = window->Charts();
    ASSERT_NE(charts, nullptr);
    EXPECT_TRUE(charts->isVisible());
    EXPECT_EQ(charts->RowCount(), 10u);
    // The band and one line per batch; the histogram's three classes hold every readable
    // arrival (seven), judged under conf.ini's window: +330 s is the only late one.
    EXPECT_EQ(charts->LatenessView()->chart()->series().size(), 4);
    auto* bars = qobject_cast<QStackedBarSeries*>(charts->DeviationView()->chart()->series().at(0));
    ASSERT_NE(bars, nullptr);
    qreal early = 0, onTime = 0, late = 0;
    for (int i = 0; i < bars->barSets().at(0)->count(); ++i) {
        early += bars->barSets().at(0)->at(i);
        onTime += bars->barSets().at(1)->at(i);
        late += bars->barSets().at(2)->at(i);
    }
    EXPECT_EQ(early, 2);
    EXPECT_EQ(onTime, 4);
    EXPECT_EQ(late, 1);
    EXPECT_TRUE(charts->Item<QLabel>(IDC_STA_CHART_SUBJECT)->text().contains("共 10 站次"));

    // The list changes; the window keeps what it showed until asked again.
    window->Model().Clear();
    EXPECT_EQ(charts->RowCount(), 10u);
    EXPECT_FALSE(Button(IDC_BTN_STAT_CHART)->isEnabled());

    answer = folder + "/图表";
    charts->Item<QAbstractButton>(IDC_BTN_CHART_PNG)->click();
    EXPECT_EQ(proposals.back(), home.Path() + "/图表.png");  // nothing was listed by a request
    EXPECT_EQ(boxes, std::vector<std::string>{"已导出图片：\n" + folder + "/图表.png"});
    QImage image(QString::fromStdString(folder + "/图表.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1960, 1184));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"图表.png"});

    window->EndLogin();
    EXPECT_FALSE(charts->isVisible());
}

}  // namespace
}  // namespace fw
