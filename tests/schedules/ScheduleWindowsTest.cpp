#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "base/FileDialog.h"
#include "base/MessageBox.h"
#include "net/Message.h"
#include "res/RESOURCE.H"
#include "schedules/SchedulePage.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "skin/SkinListView.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "text/Encoding.h"

namespace fw {
namespace {

using testing::ElementsAre;

std::vector<std::string> Column(QAbstractItemView* view, int column) {
    std::vector<std::string> out;
    const QAbstractItemModel* model = view->model();
    for (int i = 0; i < model->rowCount(); ++i) out.push_back(model->index(i, column).data().toString().toStdString());
    return out;
}

std::vector<std::string> Cells(const Json::Value& body) {
    std::vector<std::string> out;
    for (const Json::Value& c : body["content"]) out.push_back(Text(c, "date") + "|" + Text(c, "batch") + "|" + Text(c, "carcode"));
    return out;
}

using Rows = std::vector<std::string>;

// The scheduling page in a window of its own, with the messages it sends kept and a clock that
// stands still.
class SchedulePageTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartSkin()); }

    void SetUp() override {
        SetMessageObserver([this](const QString& text) { messages.push_back(text.toStdString()); });
        SetFileChooser([this](const QString&) { return chosenFile; });
        ScheduleLink link;
        link.send = [this](const Json::Value& m) { return sent.push_back(ReadMessage(m)), sendSucceeds; };
        link.userName = [] { return std::string("调度员"); };
        link.now = [] { return QDateTime(QDate(2014, 8, 25), QTime(9, 30)); };
        link.markImages = {SkinLibrary::Bitmap(132), SkinLibrary::Bitmap(131)};
        link.rowImages = {SkinLibrary::Bitmap(133)};
        link.fleetPlates = [this] { return fleet; };
        link.wire = &wire;
        link.canSend = [this] { return sendSucceeds; };
        link.answersWaiting = [this] { return answersWaiting; };
        page = std::make_unique<SchedulePage>(link);
        main.resize(1600, 900);
        for (int id : {IDW_SUBMEBU_PAIBAN, IDW_PAIBAN_GUANLI, IDW_PAIBAN_ADD_FILE, IDW_PAIBAN_ADD_PEIZHI})
            ASSERT_TRUE(page->MakeWindow(id, &main)->Create(&main, false));
        page->Connect();
        page->Menu()->setGeometry(1, 62, 1598, page->Menu()->height());
        page->Menu()->show();
        page->ShowScheduleMode();
        main.show();
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    }

    void TearDown() override { SetMessageObserver({}); SetFileChooser({}); }

    ScheduleListWindow& List() { return *page->List(); }
    ScheduleSetupWindow& Form() { return *page->Setup(); }
    TimetableImportWindow& Import() { return *page->Import(); }
    SkinListCtrl* ListView() { return List().Item<SkinListCtrl>(IDC_LSTCTRL_ARRANGE); }
    SkinListCtrl* Grid() { return Form().Item<SkinListCtrl>(IDC_LSTCTRL_SETCAR); }
    QLineEdit* Editor() { return Form().Item<QLineEdit>(IDC_EDT_HIDE); }
    QLineEdit* NameEdit() { return Form().Item<QLineEdit>(IDC_EDT_PAIBAN_ADD_PB); }
    QLabel* Label(int id) { return Form().Item<QLabel>(id); }
    bool SaveEnabled() { return Form().Item<QAbstractButton>(IDC_BTN_PAIBAN_SAVE)->isEnabled(); }

    void Click(CUIWnd& window, int id) { window.Item<QAbstractButton>(id)->click(); }

    void ClickRow(QTreeWidget* view, int row, int column = 0) {
        const QRect r = view->visualItemRect(view->topLevelItem(row));
        const int x = view->header()->sectionViewportPosition(column) + view->columnWidth(column) / 2;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x, r.center().y()));
    }

    void SetDates(QDate start, QDate end) {
        Form().Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_S)->setDate(start);
        Form().Item<QDateTimeEdit>(IDC_DATETIME_PAIBAN_ADD_E)->setDate(end);
    }

    // Imports a timetable of three batches, two departures each, and fills `days` date rows:
    // 班次1 06:00-12:30, 班次2 07:00-13:30, 班次3 08:00-14:30, all at once.
    void ImportThreeBatches(int days) {
        page->Menu()->SwitchToCreate();
        chosenFile = QString::fromStdString(home.File("时刻表.csv"));
        test::WriteFile(chosenFile.toStdString(), "班次1,线路,班次2,线路,班次3,线路\n06:00,1路,07:00,1路,08:00,1路\n"
                                                  "12:30,2路,13:30,2路,14:30,2路\n");
        SetDates(QDate(2014, 8, 25), QDate(2014, 8, 25).addDays(days - 1));
        ImportChosenFile();
        ASSERT_EQ(Import().Departures().size(), 6u);
        ASSERT_EQ(Grid()->topLevelItemCount(), days);
    }

    // 上传文件, and the reading of the chosen file to its end.
    void ImportChosenFile() {
        Click(Import(), IDC_BTN_PAIBAN_SHANGCHUAN);
        ASSERT_TRUE(test::WaitFor([&] { return !Import().IsReading(); }, 10000));
    }

    // The window as after a cancelled import: no departures, no path, the grid's date column alone.
    void ExpectNoTimetable() {
        EXPECT_TRUE(Import().Departures().empty() && Import().TimetablePath().isEmpty() && Grid()->columnCount() == 1 &&
                    Import().Item<SkinListView>(IDC_LSTCTRL_ADDFILE)->model()->rowCount() == 0);
    }

    // Types into a grid cell and ends the edit with a key.
    void TypeIntoCell(int row, int column, const QString& text, Qt::Key end) {
        ClickRow(Grid(), row, column);
        ASSERT_TRUE(Editor()->isVisible());
        Editor()->selectAll();
        Editor()->insert(text);  // as an input method commits it
        QTest::keyClick(Editor(), end);
    }

    void Save(const QString& name) {
        NameEdit()->setText(name);
        Click(Form(), IDC_BTN_PAIBAN_SAVE);
    }

    // The grid as shown: each date row's vehicles, batch by batch.
    Rows Shown() {
        Rows rows;
        for (int r = 0; r < Grid()->topLevelItemCount(); ++r) {
            std::string row;
            for (int c = 1; c < Grid()->columnCount(); ++c) row += (c > 1 ? "|" : "") + Grid()->topLevelItem(r)->text(c).toStdString();
            rows.push_back(row);
        }
        return rows;
    }
    QColor Tint(int row, int column) { return Grid()->topLevelItem(row)->data(column, Qt::BackgroundRole).value<QBrush>().color(); }
    bool Tinted(int row, int column) { return Grid()->topLevelItem(row)->data(column, Qt::BackgroundRole).isValid(); }
    bool Italic(int row, int column) { return Grid()->topLevelItem(row)->font(column).italic(); }

    // Each schedule row's mark image (1: marked), and 2 more while it is selected.
    std::vector<int> Marks() {
        std::vector<int> out;
        for (int i = 0; i < ListView()->topLevelItemCount(); ++i)
            out.push_back(ListView()->topLevelItem(i)->data(0, SkinListCtrl::kImageRole).toInt() +
                          (ListView()->topLevelItem(i)->isSelected() ? 2 : 0));
        return out;
    }

    test::TempHome home;
    QWidget main;
    std::unique_ptr<SchedulePage> page;
    std::vector<Message> sent;
    std::vector<std::string> messages;
    QString chosenFile;
    bool sendSucceeds = true;
    bool answersWaiting = false;
    std::vector<std::string> fleet;
    TextCodec wire{"GBK"};
};

// Search marks by the trimmed name, delete sends adjacent marked rows. (Delete without the
// connection, and the list after a re-login, are the connection-drop flow's.)
TEST_F(SchedulePageTest, ScheduleListSearchMarksAndDeleteSendsTheMarkedRows) {
    for (const char* name : {"甲", "夏季", "乙", " 夏季", "丙"}) List().AddScheduleRow(name, "2014-06-01", "2014-08-31");
    auto* search = List().Item<QLineEdit>(IDC_EDT_PAIBAN_GL_NAME);
    search->setText(QStringLiteral("  夏季 "));
    QTest::keyClick(search, Qt::Key_Return);  // Enter searches as the button does
    EXPECT_THAT(Marks(), ElementsAre(0, 3, 0, 3, 0));

    // A click anywhere on a row turns its mark round: 乙 is marked, the second 夏季 no longer.
    ClickRow(ListView(), 2, 1);
    ClickRow(ListView(), 3, 2);
    Click(List(), IDC_BTN_PAIBAN_GL_DELE);
    std::vector<std::string> deleted;
    for (const Message& m : sent) deleted.push_back(std::to_string(m.code) + Text(m.body, "classename") + Text(m.body, "username"));
    EXPECT_THAT(deleted, ElementsAre("9014夏季调度员", "9014乙调度员"));  // next to each other: both
    EXPECT_THAT(Column(ListView(), 0), ElementsAre("甲", " 夏季", "丙"));
    EXPECT_EQ(Marks()[1] % 2, 0);
}

// The reading runs beside the window and its button cancels it; a file read to its end fills
// both lists; a cancelled dialog or a file that is no workbook leaves no timetable.
TEST_F(SchedulePageTest, ImportReadsBesideTheWindowAndACancelOrABadFileLeavesNoTimetable) {
    page->Menu()->SwitchToCreate();
    chosenFile = QString::fromStdString(home.File("时刻表.csv"));
    test::WriteFile(chosenFile.toStdString(), "早班,线路\n06:00,1路\n");
    auto* button = Import().Item<QAbstractButton>(IDC_BTN_PAIBAN_SHANGCHUAN);
    auto* state = Import().Item<QLabel>(IDC_STA_PAIBAN_ADD_STATE);
    button->click();
    ASSERT_TRUE(Import().IsReading());
    EXPECT_TRUE(button->text() == QStringLiteral("取消") && state->isVisible());
    button->click();  // 取消
    ASSERT_TRUE(test::WaitFor([&] { return !Import().IsReading(); }, 10000));
    EXPECT_TRUE(button->text() == QStringLiteral("上传文件") && !state->isVisible());
    ExpectNoTimetable();

    ImportThreeBatches(1);
    EXPECT_EQ(Import().TimetablePath(), chosenFile);
    auto* list = Import().Item<SkinListView>(IDC_LSTCTRL_ADDFILE);
    EXPECT_THAT(Column(list, 0), ElementsAre("班次1", "班次1", "班次2", "班次2", "班次3", "班次3"));
    EXPECT_THAT(Column(list, 1), ElementsAre(" 06:00:00", " 12:30:00", " 07:00:00", " 13:30:00", " 08:00:00", " 14:30:00"));
    EXPECT_EQ(Grid()->headerItem()->text(3), QStringLiteral("班次3"));

    chosenFile.clear();
    SetDates(QDate(2014, 8, 25), QDate(2014, 8, 26));
    button->click();
    EXPECT_FALSE(Import().IsReading());
    ExpectNoTimetable();
    EXPECT_THAT(Column(Grid(), 0), ElementsAre("2014-08-25", "2014-08-26"));  // rebuilt
    EXPECT_TRUE(messages.empty());

    ImportThreeBatches(1);
    chosenFile = QString::fromStdString(home.File("notes.xls"));
    test::WriteFile(chosenFile.toStdString(), "早班,1路\n");
    ImportChosenFile();
    EXPECT_THAT(messages, ElementsAre("所选文件不是Excel工作簿(*.xls, *.xlsx)或CSV文件(*.csv)"));
    ExpectNoTimetable();
}

// 自动配车 fills the free cells with a plan in blue: Escape drops it, Enter keeps it; typed
// cells stay.
TEST_F(SchedulePageTest, AutoAssignProposesInBlueEnterKeepsEscapeDrops) {
    ImportThreeBatches(3);
    Click(Form(), IDC_BTN_PAIBAN_AUTO);
    EXPECT_THAT(messages, ElementsAre("尚未收到车辆列表，无法自动配车"));

    fleet = {"浙A1", "浙A2", "浙A3", "浙A4"};
    TypeIntoCell(1, 2, QStringLiteral("浙Z9"), Qt::Key_Return);  // typed: it stays
    auto* line = Label(IDC_STA_PAIBAN_AUTO);
    auto* keep = Form().Item<QAbstractButton>(IDC_BTN_PAIBAN_AUTO_KEEP);
    const QColor plain = Tint(0, 1);
    const Rows planned = {"浙A1|浙A2|浙A3", "浙A2|浙Z9|浙A3", "浙A3|浙A4|浙A1"};
    Click(Form(), IDC_BTN_PAIBAN_AUTO);
    EXPECT_EQ(Shown(), planned);
    EXPECT_EQ(line->text(), QStringLiteral("自动配车：需 3 辆，已配 3 辆，每天轮换（3 条说明）"));
    // In blue and italic but the typed cell, and not taken yet.
    EXPECT_TRUE(keep->isVisible() && Tint(0, 1) != plain && Italic(0, 1) && !Italic(1, 2) && Form().Grid().Cell(0, 1).empty());
    QTest::keyClick(Grid(), Qt::Key_Escape);
    EXPECT_FALSE(Form().HasProposal() || line->isVisible() || keep->isVisible() || Italic(0, 1) || Tint(0, 1) != plain);
    EXPECT_EQ(Shown(), (Rows{"||", "|浙Z9|", "||"}));
    Click(Form(), IDC_BTN_PAIBAN_AUTO);
    QTest::keyClick(Grid(), Qt::Key_Return);
    EXPECT_FALSE(Form().HasProposal() || Italic(0, 1) || keep->isVisible() || !line->isVisible());  // what it did stays said
    EXPECT_EQ(Shown(), planned);
    EXPECT_EQ(Form().Grid().Cell(2, 3), "浙A1");

    // 保存 takes a plan still on screen.
    Click(Form(), IDC_BTN_PAIBAN_ADD_PEIBEI);
    Click(Form(), IDC_BTN_PAIBAN_AUTO);
    Save(QStringLiteral("夏季"));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Text(sent[0].body["content"][0], "carcode"), "浙A1");
}

TEST_F(SchedulePageTest, CellEditorCarriesTheFirstRowDownKeepsOtherRowsAndEscapeDrops) {
    ImportThreeBatches(5);
    TypeIntoCell(3, 2, QStringLiteral("浙X0"), Qt::Key_Return);  // in the carry-down's way below
    // While the first row is typed into, the cells the carry-down will write show the text.
    ClickRow(Grid(), 0, 2);
    EXPECT_EQ(Editor()->accessibleName().toStdString(), "车牌号：2014-08-25 班次2");  // what a reader says
    QTest::keyClicks(Editor(), QStringLiteral("A1"));
    const std::vector<GridCell> path = {{1, 3}, {2, 1}, {3, 2}, {4, 3}};
    const QColor emptyTint = Tint(0, 1);
    EXPECT_EQ(Shown(), (Rows{"||", "||A1", "A1||", "|A1|", "||A1"}));
    for (const GridCell& c : path) EXPECT_TRUE(Tint(c.row, c.column) != emptyTint && Italic(c.row, c.column)) << c.row;
    QTest::keyClick(Editor(), Qt::Key_Escape);  // nothing of it stays
    EXPECT_EQ(Shown(), (Rows{"||", "||", "||", "|浙X0|", "||"}));
    EXPECT_FALSE(Tinted(3, 2));
    for (const GridCell& c : path)
        EXPECT_TRUE((c.row == 3 || Tint(c.row, c.column) == emptyTint) && !Italic(c.row, c.column)) << c.row;

    TypeIntoCell(0, 2, QStringLiteral("浙A1"), Qt::Key_Return);
    EXPECT_EQ(Shown(), (Rows{"|浙A1|", "||浙A1", "浙A1||", "|浙A1|", "||浙A1"}));
    TypeIntoCell(2, 1, QStringLiteral("浙B2"), Qt::Key_Escape);  // dropped
    EXPECT_FALSE(Editor()->isVisible());
    TypeIntoCell(3, 1, QStringLiteral("浙C3"), Qt::Key_Enter);   // a later row: that cell only
    EXPECT_EQ(Shown(), (Rows{"|浙A1|", "||浙A1", "浙A1||", "浙C3|浙A1|", "||浙A1"}));

    // Clicking another cell keeps what was typed, then edits that cell.
    ClickRow(Grid(), 1, 1);
    Editor()->insert(QStringLiteral("浙D4"));
    ClickRow(Grid(), 4, 2);
    EXPECT_EQ(Form().Grid().Cell(1, 1), "浙D4");
    ClickRow(Grid(), 4, 0);  // the date column is not edited
    EXPECT_FALSE(Editor()->isVisible());

    // Rebuilding the date rows drops the typed vehicles and keeps the batches.
    Click(Form(), IDC_BTN_PAIBAN_ADD_PEIBEI);
    EXPECT_EQ(Shown(), (Rows{"||", "||", "||", "||", "||"}));
}

// Save checks the roster first: findings tinted on their cells and counted under the grid, then
// asked about; going back sends nothing. Then the day-by-day exchange, and the form reset.
TEST_F(SchedulePageTest, SaveAsksAboutRosterFindingsThenRunsTheDayByDayExchange) {
    Save(QStringLiteral("夏季"));  // no timetable: nothing at all
    EXPECT_TRUE(sent.empty() && messages.empty());
    ImportThreeBatches(2);
    auto* line = Label(IDC_STA_PAIBAN_CHECK);
    EXPECT_EQ(line->text(), QStringLiteral("排班检查：6处没有配车（尚未收到车辆列表，车牌未核对）"));
    Save(QString());
    SetDates(QDate(2014, 8, 26), QDate(2014, 8, 25));
    Save(QStringLiteral(" 夏季 "));
    EXPECT_THAT(messages, ElementsAre("排班名称不能为空", "开始时间不能大于结束时间"));
    EXPECT_TRUE(sent.empty());
    SetDates(QDate(2014, 8, 25), QDate(2014, 8, 26));
    messages.clear();

    // The fleet arrives, one vehicle a message: one check after the burst.
    fleet = {"浙A1", "浙A2", "浙A3", "浙A4"};
    page->FleetChanged();
    page->FleetChanged();
    ASSERT_TRUE(test::WaitFor([&] { return Form().Check().platesChecked; }, 5000));
    EXPECT_EQ(line->text(), QStringLiteral("排班检查：6处没有配车"));
    // A sound roster (the first row carried down): no tint, no line.
    for (int column = 1; column <= 3; ++column) TypeIntoCell(0, column, QStringLiteral("浙A%1").arg(column), Qt::Key_Return);
    EXPECT_FALSE(line->isVisible() || Tinted(1, 2) || !Grid()->topLevelItem(1)->toolTip(2).isEmpty());

    // Trouble on the second day: 浙A2 on two batches at once, a plate the fleet does not have.
    TypeIntoCell(1, 1, QStringLiteral("浙A2"), Qt::Key_Return);
    TypeIntoCell(1, 2, QStringLiteral("浙Z9"), Qt::Key_Return);
    const QString summary = QStringLiteral("排班检查：1处车牌不在车辆列表中，2处时间冲突");
    EXPECT_EQ(line->text(), summary);
    EXPECT_EQ(Grid()->topLevelItem(1)->toolTip(1), QStringLiteral("浙A2同日还在“班次3”（08:00–14:30），与本班次（06:00–12:30）时间重叠"));
    EXPECT_TRUE(Tint(1, 1) != Tint(1, 2) && Tint(1, 3) == Tint(1, 1) && !Tinted(0, 1));  // a clash and a plate differ
    SetNextAnswer(false);
    Click(Form(), IDC_BTN_PAIBAN_SAVE);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].starts_with(summary.toStdString() + "\n\n2014-08-26 班次1："));
    EXPECT_FALSE(!sent.empty() || Form().SaveRunning());

    // Sent anyway, with a cell still in the editor when Save is pressed: 9008, every cell.
    ClickRow(Grid(), 1, 3);
    Editor()->selectAll();
    Editor()->insert(QStringLiteral("浙B2"));
    Click(Form(), IDC_BTN_PAIBAN_SAVE);
    ASSERT_EQ(std::pair(messages.size(), sent.size()), std::pair(std::size_t{2}, std::size_t{1}));
    EXPECT_EQ(std::pair(sent[0].code, Text(sent[0].body, "classname")), std::pair(9008, std::string(" 夏季 ")));  // as typed
    EXPECT_THAT(Cells(sent[0].body), ElementsAre("2014-08-25|班次1|浙A1", "2014-08-25|班次2|浙A2", "2014-08-25|班次3|浙A3",
                                                 "2014-08-26|班次1|浙A2", "2014-08-26|班次2|浙Z9", "2014-08-26|班次3|浙B2"));
    auto* progress = Label(IDC_STA_PAIBAN_SAVE_STATE);
    EXPECT_TRUE(!SaveEnabled() && progress->isVisible() && Form().SaveRunning());

    // Each 9007: the next day's rows, as the form holds them now, under the save's own name.
    NameEdit()->setText(QStringLiteral("改了"));
    TypeIntoCell(1, 1, QStringLiteral("浙C3"), Qt::Key_Return);
    ASSERT_TRUE(page->SendDayContent());
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(Text(sent[1].body, "classname"), " 夏季 ");
    EXPECT_THAT(Cells(sent[1].body), ElementsAre("2014-08-25|班次1|浙A1", "2014-08-25|班次2|浙A2", "2014-08-25|班次3|浙A3"));
    EXPECT_EQ(progress->text(), QStringLiteral("已发送 1 / 2 天"));
    ASSERT_TRUE(page->SendDayContent());
    EXPECT_EQ(Text(sent[2].body["content"][0], "carcode"), "浙C3");

    // 9009: the timetable, the schedule listed, the form empty, the list shown.
    page->Menu()->SwitchToCreate();
    ASSERT_TRUE(page->FinishScheduleSave());
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(std::tuple(sent[3].code, Text(sent[3].body, "name"), sent[3].body["stationns"].size()),
              std::tuple(9006, std::string(" 夏季 "), 6u));
    EXPECT_THAT(Column(ListView(), 0), ElementsAre(" 夏季 "));
    EXPECT_EQ(page->Menu()->Mode(), 0);
    EXPECT_TRUE(List().isVisible() && SaveEnabled() && !progress->isVisible());
    EXPECT_TRUE(NameEdit()->text().isEmpty() && Import().Departures().empty());
    EXPECT_EQ(std::pair(Grid()->columnCount(), Grid()->topLevelItemCount()), std::pair(1, 0));

    // Answers with no save running change nothing.
    EXPECT_TRUE(page->SendDayContent() && page->FinishScheduleSave());
    EXPECT_EQ(sent.size(), 4u);
}

// A connection that goes while the roster question is open: 保存 says so and sends nothing. When
// it goes in the middle of the exchange, the save says how far it got. Each time the form is kept
// for 保存 again, and answers from the old connection change nothing. (Without the connection
// before 保存 is pressed: the connection-drop flow.)
TEST_F(SchedulePageTest, ALostConnectionRefusesOrCutsTheSaveAndKeepsTheForm) {
    ImportThreeBatches(3);
    TypeIntoCell(0, 1, QStringLiteral("浙A1"), Qt::Key_Return);
    NameEdit()->setText(QStringLiteral("夏季"));
    const auto expectKept = [&] {
        EXPECT_FALSE(Form().SaveRunning() || Label(IDC_STA_PAIBAN_SAVE_STATE)->isVisible() || !SaveEnabled());
        EXPECT_EQ(std::tuple(NameEdit()->text().toStdString(), Form().Grid().Cell(1, 2), Import().Departures().size()),
                  std::tuple(std::string("夏季"), std::string("浙A1"), std::size_t{6}));
    };
    SetMessageObserver([this](const QString& text) {
        messages.push_back(text.toStdString());
        sendSucceeds = false;  // gone while the roster question is open
    });
    Click(Form(), IDC_BTN_PAIBAN_SAVE);
    EXPECT_THAT(messages, ElementsAre(testing::_, "与服务器的连接已断开，排班未保存。重新连接后请再试。"));
    EXPECT_EQ(sent.size(), 1u);  // tried, not sent
    expectKept();

    SetMessageObserver([this](const QString& text) { messages.push_back(text.toStdString()); });
    sendSucceeds = true;
    Click(Form(), IDC_BTN_PAIBAN_SAVE);
    ASSERT_TRUE(page->SendDayContent() && page->SendDayContent());
    messages.clear();
    page->ConnectionLost();
    EXPECT_THAT(messages, ElementsAre("连接中断，排班未保存完整（已发送 2 / 3 天）"));
    expectKept();
    const std::size_t before = sent.size();
    EXPECT_TRUE(page->SendDayContent() && page->FinishScheduleSave());
    EXPECT_EQ(std::pair(sent.size(), messages.size()), std::pair(before, std::size_t{1}));
    EXPECT_TRUE(List().Schedules().Rows().empty());

    Click(Form(), IDC_BTN_PAIBAN_SAVE);  // the login ends: the same
    ASSERT_TRUE(Form().SaveRunning());
    page->LoginEnded();
    expectKept();
}

// The server's silence is counted from the last document heard, also one held back while a
// report run fetches its track, and not while its answers wait in the hold. Answers that come
// after the save was given up finish it after all, and the user is told; after a cancel they
// find nothing to finish. A save that ends while another page shows shows nothing.
TEST_F(SchedulePageTest, HeardOrHeldAnswersKeepTheSaveAndLateOnesStillFinishIt) {
    ImportThreeBatches(2);
    Form().SetSaveTimeout(300);
    Save(QStringLiteral("夏季"));
    messages.clear();
    for (int i = 0; i < 8; ++i) {
        QTest::qWait(100);
        page->ServerHeard();
    }
    EXPECT_TRUE(Form().SaveRunning());
    answersWaiting = true;
    QTest::qWait(700);
    EXPECT_TRUE(Form().SaveRunning() && messages.empty());
    answersWaiting = false;
    ASSERT_TRUE(test::WaitFor([&] { return !Form().SaveRunning(); }, 5000));
    EXPECT_THAT(messages, ElementsAre("服务器无应答，排班未能保存"));
    EXPECT_TRUE(SaveEnabled());

    Form().SetSaveTimeout(30000);
    ASSERT_TRUE(page->SendDayContent());  // late: the save runs again
    EXPECT_TRUE(Form().SaveRunning());
    EXPECT_EQ(Label(IDC_STA_PAIBAN_SAVE_STATE)->text(), QStringLiteral("已发送 1 / 2 天"));
    ASSERT_TRUE(page->SendDayContent() && page->FinishScheduleSave());
    EXPECT_EQ(sent.back().code, 9006);
    EXPECT_THAT(Column(ListView(), 0), ElementsAre("夏季"));
    EXPECT_EQ(messages.back(), "服务器应答迟到，排班“夏季”已保存完成。");

    ImportThreeBatches(1);
    Form().SetSaveTimeout(50);
    Save(QStringLiteral("秋季"));
    ASSERT_TRUE(test::WaitFor([&] { return !Form().SaveRunning(); }, 5000));
    Click(Form(), IDC_BTN_CANCEL);
    const std::size_t before = sent.size();
    EXPECT_TRUE(page->FinishScheduleSave());
    EXPECT_EQ(sent.size(), before);

    Form().SetSaveTimeout(30000);
    ImportThreeBatches(1);
    page->Menu()->hide();
    Save(QStringLiteral("冬季"));
    ASSERT_TRUE(page->FinishScheduleSave());
    EXPECT_EQ(page->Menu()->Mode(), 0);
    EXPECT_FALSE(List().isVisible() || Form().isVisible());
}

}  // namespace
}  // namespace fw
