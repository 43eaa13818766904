// Schedule creation from end to end: the real main window, signed in to the simulator over a
// loopback socket, imports a workbook, fills the grid and saves; the simulator's record of what
// the client sent is checked field by field.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include <fstream>
#include <string>
#include <vector>

#include "base/FileDialog.h"
#include "app/MainWindow.h"
#include "base/MessageBox.h"
#include "res/RESOURCE.H"
#include "schedules/TimetableImportWindow.h"
#include "schedules/ScheduleListWindow.h"
#include "schedules/ScheduleMenuWindow.h"
#include "schedules/ScheduleSetupWindow.h"
#include "sim/DispatchServer.h"
#include "sim/Recorder.h"
#include "sim/ScenarioGenerator.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "tests/support/XlsWriter.h"

namespace fw {
namespace {

using testing::ElementsAre;

class ScheduleFlow : public testing::Test {
protected:
    static void SetUpTestSuite() { SkinBrowser::SetViewsEnabled(false); ASSERT_TRUE(StartSkin()); }

    void SetUp() override {
        SetMessageObserver([this](const QString& text) { messages.push_back(text.toStdString()); });
        ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, nullptr));
        ASSERT_TRUE(recorder.Open(QString::fromStdString(home.File("sent.jsonl")), nullptr));
        server.SetRecorder(&recorder);
        std::ofstream(home.File("conf.ini")) << "[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\n"
                                                "DataName=bus\nWrite=0\nPort="
                                             << server.Port() << "\nWebPort=8089\n";
    }
    void TearDown() override { SetMessageObserver({}); SetFileChooser({}); }

    // What the first client sent with this code, in order.
    std::vector<Json::Value> Sent(const char* cmd) {
        std::vector<Json::Value> out;
        std::ifstream in(home.File("sent.jsonl"));
        for (std::string line; std::getline(in, line);) {
            const auto parsed = ParseDocument(line);
            if (!parsed || (*parsed)["connection"].asInt() != 1) continue;
            const Json::Value& doc = (*parsed)["document"];
            if (Text(doc["header"], "cmd") == cmd) out.push_back(doc);
        }
        return out;
    }

    test::TempHome home;
    sim::SimState state{sim::GenerateScenario(7, "2014-08-25")};
    sim::DispatchServer server{state, [](const QString&) {}};
    sim::Recorder recorder;
    std::vector<std::string> messages;
};

void TypeIntoCell(ScheduleSetupWindow& setup, int row, int column, const QString& text) {
    auto* grid = setup.Item<SkinListCtrl>(IDC_LSTCTRL_SETCAR);
    const QRect r = grid->visualItemRect(grid->topLevelItem(row));
    const int x = grid->header()->sectionViewportPosition(column) + grid->columnWidth(column) / 2;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(x, r.center().y()));
    auto* editor = setup.Item<QLineEdit>(IDC_EDT_HIDE);
    ASSERT_TRUE(editor->isVisible());
    editor->insert(text);
    QTest::keyClick(editor, Qt::Key_Return);
}

std::vector<std::string> Cells(const Json::Value& body) {
    std::vector<std::string> out;
    for (const Json::Value& c : body["content"]) out.push_back(Text(c, "date") + "|" + Text(c, "batch") + "|" + Text(c, "carcode"));
    return out;
}

TEST_F(ScheduleFlow, ImportFillAndSaveReachTheServerFieldByField) {
    test::XlsWriter book;
    book.AddSheet("线路说明").Text(0, 0, "-");
    auto& sheet = book.AddSheet("Sheet1");
    const char* lines[] = {"1路", "2路", "1路"};
    for (int b = 0; b < 3; ++b) {
        sheet.Text(0, 2 * b, "早" + std::to_string(b + 1));
        sheet.Time(1, 2 * b, 6, 10 * b).Text(1, 2 * b + 1, lines[b]);
    }
    sheet.Text(2, 0, "07:45").Text(2, 1, "1路");
    const std::string workbook = home.File("元旦.xls");
    test::WriteFile(workbook, book.Bytes());
    SetFileChooser([&](const QString&) { return QString::fromStdString(workbook); });

    MainWindow::Options options;
    options.home = home.Path();
    options.autoLogin = true;
    MainWindow w(options);
    ASSERT_TRUE(w.Start());
    auto* list = qobject_cast<ScheduleListWindow*>(w.ChildWindow(MainWindow::ScheduleList));
    auto* menu = qobject_cast<ScheduleMenuWindow*>(w.ChildWindow(MainWindow::ScheduleMenu));
    auto* setup = qobject_cast<ScheduleSetupWindow*>(w.ChildWindow(MainWindow::ScheduleSetup));
    ASSERT_TRUE(list && menu && setup);
    const std::size_t known = state.scenario().schedules.size();
    ASSERT_TRUE(test::WaitFor([&] { return list->Schedules().Rows().size() == known; }, 5000));  // 9011 after the login

    w.Item<QAbstractButton>(IDC_RAD_MENU_PAIBAN)->click();
    EXPECT_TRUE(list->isVisible());
    menu->Item<QAbstractButton>(IDC_RAD_SUBMENU_PAIBAN__ADD)->click();
    ASSERT_TRUE(setup->isVisible() && !list->isVisible());
    CUIWnd* import = w.ChildWindow(MainWindow::TimetableImport);
    import->Item<QAbstractButton>(IDC_BTN_PAIBAN_SHANGCHUAN)->click();
    ASSERT_TRUE(test::WaitFor([&] { return !qobject_cast<TimetableImportWindow*>(import)->IsReading(); }, 10000));
    setup->Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_S)->setDate(QDate(2027, 1, 1));
    setup->Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_E)->setDate(QDate(2027, 1, 3));
    setup->Item<QAbstractButton>(IDC_BTN_PAIBAN_ADD_PEIBEI)->click();
    setup->Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB)->setText(QStringLiteral("元旦排班"));
    // The first row, left to right: each vehicle turns through the batches day by day.
    const auto& vehicles = state.scenario().vehicles;
    for (int column = 1; column <= 3; ++column)
        TypeIntoCell(*setup, 0, column, QString::fromStdString(vehicles[static_cast<std::size_t>(column)].code));
    setup->Item<QAbstractButton>(IDC_BTN_PAIBAN_SAVE)->click();

    // What the form looks like after a save is the page test's; here: the server's record.
    ASSERT_TRUE(test::WaitFor([&] { return list->Schedules().Rows().size() == known + 1; }, 5000));
    const ScheduleRow& saved = list->Schedules().Rows().back();
    EXPECT_EQ(saved.name + " " + saved.startDate + " " + saved.endDate, "元旦排班 2027-01-01 2027-01-03");
    EXPECT_TRUE(list->isVisible() && messages.empty());

    const std::string a = vehicles[1].code, b = vehicles[2].code, c = vehicles[3].code;
    // The simulator answers every day at once, so the client's last messages may still be on
    // their way to it when the list already shows the schedule.
    ASSERT_TRUE(test::WaitFor([&] { return Sent("9008").size() == 4 && Sent("9006").size() == 1; }, 5000));
    const std::vector<Json::Value> content = Sent("9008");  // every cell, then one message per day asked for
    for (const Json::Value& m : content) {
        const Json::Value& f = m["body"];
        EXPECT_EQ(Text(f, "classname") + " " + Text(f, "username") + " " + Text(f, "startdate") + " " + Text(f, "enddate"),
                  "元旦排班 admin 2027-01-01 2027-01-03");
    }
    const std::vector<std::string> all = {"2027-01-01|早1|" + a, "2027-01-01|早2|" + b, "2027-01-01|早3|" + c,
                                          "2027-01-02|早1|" + c, "2027-01-02|早2|" + a, "2027-01-02|早3|" + b,
                                          "2027-01-03|早1|" + b, "2027-01-03|早2|" + c, "2027-01-03|早3|" + a};
    EXPECT_EQ(Cells(content[0]["body"]), all);
    for (std::size_t day = 0; day < 3; ++day)
        EXPECT_EQ(Cells(content[day + 1]["body"]), std::vector(all.begin() + 3 * day, all.begin() + 3 * day + 3)) << day;

    const Json::Value body = Sent("9006")[0]["body"];
    EXPECT_EQ(Text(body, "name") + " " + Text(body, "userName") + " " + Text(body, "startdate") + " " + Text(body, "enddate"),
              "元旦排班 admin 2027-01-01 2027-01-03");
    std::vector<std::string> rows;
    for (const Json::Value& r : body["stationns"])
        rows.push_back(Text(r, "batch") + "|" + Text(r, "starttime") + "|" + Text(r, "flag") + "|" + Text(r, "linename"));
    EXPECT_THAT(rows, ElementsAre("早1| 06:00:00|0|1路", "早1|07:45|0|1路", "早2| 06:10:00|0|2路", "早3| 06:20:00|0|1路"));
    EXPECT_TRUE(Sent("9014").empty());
    w.close();
}

}  // namespace
}  // namespace fw
