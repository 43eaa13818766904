#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "base/MessageBox.h"
#include "res/RESOURCE.H"
#include "routes/RouteDrawWindow.h"
#include "routes/RouteList.h"
#include "routes/RouteListWindow.h"
#include "routes/RouteMenuWindow.h"
#include "routes/RouteStore.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "web/BrowserHost.h"
#include "web/PageRelay.h"

namespace fw {
namespace {

// Typing through an input method, the way Chinese text is typed.
void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

// The three route pages under a stand-in main window, with a server link that records.
class RouteWindows : public testing::Test {
protected:
    static void SetUpTestSuite() {
        SkinBrowser::SetViewsEnabled(false);
        ASSERT_TRUE(StartSkin());
    }

    void SetUp() override {
        RouteListSort() = {};
        SetMessageObserver([this](const QString& text) { messages.push_back(text.toStdString()); });
        main.resize(1600, 900);
        RouteContext c;
        c.routes = &store;
        c.log = &log;
        c.sendJson = [this](const Json::Value& m) {
            sent.push_back(m);
            return sendsLeft-- > 0;
        };
        c.userName = [] { return std::string("调度员"); };
        list = new RouteListWindow(&main, c, {QImage(15, 33, QImage::Format_RGB32), QImage(15, 33, QImage::Format_RGB32)});
        draw = new RouteDrawWindow(&main, c, [] { return QStringLiteral("http://127.0.0.1:8089"); });
        menu = new RouteMenuWindow(&main, [] { return std::string("http://127.0.0.1:8089/map"); });
        for (CUIWnd* w : std::initializer_list<CUIWnd*>{menu, list, draw}) ASSERT_TRUE(w->Create(&main, false));
        menu->SetPages(list, draw);
        draw->SetPages(list, menu);
        main.show();
        menu->setGeometry(1, 62, 1598, menu->WindowData().size.height);
        menu->show();
        menu->Layout();
    }
    void TearDown() override { SetMessageObserver({}); }

    void AddRoutes(int count, int stations = 3) {
        for (int i = 1; i <= count; ++i) {
            RouteRecord r;
            r.lineName = "L" + std::to_string(i);
            r.length = std::to_string(1000 / i);
            r.time = "00:" + std::to_string(10 + i % 50);
            for (int s = 0; s < stations; ++s)
                r.stations.push_back({"s", "站" + std::to_string(s), "", "", "", "", PresenceState::Outside});
            store.Append(std::move(r));
        }
    }

    QAbstractButton* Button(CUIWnd* w, int id) { return w->Item<QAbstractButton>(id); }
    // A label's or an edit's text.
    static QString Shown(CUIWnd* w, int id) {
        if (auto* label = w->Item<QLabel>(id)) return label->text();
        return w->Item<QLineEdit>(id)->text();
    }
    QString Text(int id) { return Shown(list, id); }
    QString DrawText(int id) { return Shown(draw, id); }
    std::vector<bool> PagerButtons() {
        std::vector<bool> on;
        for (int id : {IDC_BTN_LX_GL_FENYE_SHOUYE, IDC_BTN_LX_GL_FENYE_QIAN, IDC_BTN_LX_GL_FENYE_NEXT,
                       IDC_BTN_LX_GL_FENYE_MOYE})
            on.push_back(Button(list, id)->isEnabled());
        return on;
    }
    std::vector<int> TickedRows() {
        std::vector<int> rows;
        for (int i = 0; i < list->List()->topLevelItemCount(); ++i)
            if (RouteListWindow::IsTicked(list->List()->topLevelItem(i))) rows.push_back(i);
        return rows;
    }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int i = 0; i < list->List()->topLevelItemCount(); ++i)
            texts.push_back(list->List()->topLevelItem(i)->text(column).toStdString());
        return texts;
    }
    void ClickRow(int row) {
        QTreeWidgetItem* item = list->List()->topLevelItem(row);
        QTest::mouseClick(list->List()->viewport(), Qt::LeftButton, {},
                          list->List()->visualItemRect(item).center());
    }
    void Command(const QString& text) { draw->Host()->Relay()->operate(text); }

    QWidget main;
    RouteStore store;
    test::MemoryLog log;
    std::vector<Json::Value> sent;
    int sendsLeft = 1000;  // then the connection is gone
    std::vector<std::string> messages;
    RouteListWindow* list = nullptr;
    RouteDrawWindow* draw = nullptr;
    RouteMenuWindow* menu = nullptr;
};

// The core tests hold the pager's states; here the rows come as the stations arrive (a route of
// one station is not listed), each button moves the page it says, and Go takes the leading digits
// of what is typed or refuses what is no page.
TEST_F(RouteWindows, ArrivingStationsFillTheFirstPageAndThePagerMovesIt) {
    AddRoutes(45);
    AddRoutes(2, 1);
    for (std::size_t i = 0; i < store.Size(); ++i) list->RouteStationsArrived(*store.At(i), "甲 — 乙 — 丙");
    EXPECT_EQ(Column(1), std::vector<std::string>(20, "甲 — 乙 — 丙"));
    EXPECT_EQ(Text(IDC_STA_LX_GL_FENYE_JILUSHU) + "/" + Text(IDC_STA_LX_GL_FENYE_YESHU2), "45/3");
    EXPECT_EQ(PagerButtons(), (std::vector<bool>{false, false, true, true}));
    Button(list, IDC_BTN_LX_GL_FENYE_NEXT)->click();
    EXPECT_EQ(Text(IDC_EDT_LX_GL_FENYE_INPUT), "2");
    EXPECT_EQ(Column(0).front(), "L21");
    Button(list, IDC_BTN_LX_GL_FENYE_MOYE)->click();
    EXPECT_EQ(PagerButtons(), (std::vector<bool>{true, true, false, false}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"L41", "L42", "L43", "L44", "L45"}));
    Button(list, IDC_BTN_LX_GL_FENYE_QIAN)->click();
    EXPECT_EQ(list->CurrentPage(), 2);
    Button(list, IDC_BTN_LX_GL_FENYE_SHOUYE)->click();
    EXPECT_EQ(list->CurrentPage(), 1);
    EXPECT_EQ(list->List()->topLevelItemCount(), 20);

    auto* input = list->Item<QLineEdit>(IDC_EDT_LX_GL_FENYE_INPUT);
    input->setText("4");
    Button(list, IDC_BTN_LX_GL_FENYE_GO)->click();
    EXPECT_EQ(list->CurrentPage(), 1);
    EXPECT_EQ(messages, std::vector<std::string>{"你输入的页面超出范围"});
    EXPECT_EQ(input->text(), "4");  // a refused page stays as typed
    input->setText("3abc");
    QTest::keyClick(input, Qt::Key_Return);  // Enter works like the button
    EXPECT_EQ(list->CurrentPage(), 3);
    EXPECT_EQ(input->text(), "3");
    EXPECT_EQ(Column(0).size(), 5u);
    EXPECT_EQ(messages.size(), 1u);
    list->ResetForLogin();
    EXPECT_EQ(list->List()->topLevelItemCount(), 0);
}

// One request per ticked row, in list order; the server deletes by name, and so does the store.
// Without the connection nothing is deleted here either: the rows stay ticked and a box says what
// was not deleted. A connection that goes in the middle leaves the rest.
TEST_F(RouteWindows, TickedRowsAreDeletedOneRequestEachAndKeptWhenTheConnectionGoes) {
    AddRoutes(7);
    list->GoToPage(1);
    for (int row : {3, 1, 2, 2}) ClickRow(row);  // the third ticked and unticked again
    EXPECT_EQ(list->List()->topLevelItem(1)->data(0, SkinListCtrl::kImageRole).toInt(), 1);
    EXPECT_EQ(list->List()->topLevelItem(2)->data(0, SkinListCtrl::kImageRole).toInt(), 0);
    Button(list, IDC_BTN_LX_GL_DELE)->click();
    std::vector<std::string> requests;
    for (const auto& r : sent) requests.push_back(r["header"]["cmd"].asString() + " " + r["body"]["linename"].asString());
    EXPECT_EQ(requests, (std::vector<std::string>{"9012 L2", "9012 L4"}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"L1", "L3", "L5", "L6", "L7"}));
    EXPECT_FALSE(store.HasName("L2"));
    EXPECT_EQ(Text(IDC_STA_LX_GL_FENYE_JILUSHU), "5");
    EXPECT_TRUE(messages.empty());

    for (int row : {0, 3, 4}) ClickRow(row);
    sendsLeft = 0;
    Button(list, IDC_BTN_LX_GL_DELE)->click();
    EXPECT_EQ(TickedRows(), (std::vector<int>{0, 3, 4}));
    sendsLeft = 1;
    Button(list, IDC_BTN_LX_GL_DELE)->click();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"L3", "L5", "L6", "L7"}));
    EXPECT_EQ(TickedRows(), (std::vector<int>{2, 3}));
    EXPECT_EQ(store.Size(), 4u);
    EXPECT_EQ(Text(IDC_STA_LX_GL_FENYE_JILUSHU), "4");
    EXPECT_EQ(messages, (std::vector<std::string>{"与服务器的连接已断开，线路未删除。重新连接后请再试。",
                                                  "与服务器的连接已断开，已删除 1 条，其余 2 条线路未删除。重新连接后请再试。"}));
}

TEST_F(RouteWindows, FindTicksAndSelectsExactTrimmedNamesOnThisPageOnly) {
    AddRoutes(25);
    list->GoToPage(1);
    ClickRow(5);
    auto* search = list->Item<QLineEdit>(IDC_EDT_LX_GL_NAME);
    search->setText("  L3 ");
    Button(list, IDC_BTN_LX_GL_SEARCH)->click();
    EXPECT_EQ(TickedRows(), std::vector<int>{2});
    EXPECT_EQ(list->List()->selectedItems(), QList<QTreeWidgetItem*>{list->List()->topLevelItem(2)});
    EXPECT_EQ(list->List()->currentItem(), list->List()->topLevelItem(2));
    for (const char* other : {"l3", "L23"}) {  // differs in case only; on page 2
        search->setText(other);
        QTest::keyClick(search, Qt::Key_Return);
        EXPECT_TRUE(list->List()->selectedItems().isEmpty()) << other;
    }
}

TEST_F(RouteWindows, HeaderClicksSortByValueAndTheSelectionMovesWithItsRow) {
    AddRoutes(3);  // lengths 1000, 500, 333
    list->GoToPage(1);
    list->List()->topLevelItem(0)->setSelected(true);
    QHeaderView* header = list->List()->header();
    const auto click = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    click(2);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"333", "500", "1000"}));
    EXPECT_TRUE(list->List()->topLevelItem(2)->isSelected());
    click(2);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"1000", "500", "333"}));
}

// A re-login refreshes the store in place: arriving stations fill the page again (no second
// row of a route), on the page the user was on, with the ticks of the rows still there.
TEST_F(RouteWindows, RefreshedStoreRefillsThePageWithItsTicks) {
    AddRoutes(30);
    list->GoToPage(2);
    ClickRow(0);  // L21
    ClickRow(3);  // L24
    store.BeginRefresh();
    for (int i = 1; i <= 30; ++i) {
        if (i == 24) continue;  // gone from the server
        RouteRecord again;
        again.lineName = "L" + std::to_string(i);
        again.lineId = std::to_string(i);
        store.AddRoute(again);
        RouteRecord* r = store.FindRoute(again.lineName, 1);
        store.AttachStations(*r, std::vector<StationRecord>(3));
        list->RouteStationsArrived(*r, "甲 — 乙 — 丙");
    }
    ASSERT_TRUE(test::WaitFor([&] { return Column(0).size() == 10u && Column(0)[0] == "L21"; }));
    EXPECT_EQ(Column(0).size(), 10u);  // no row twice
    store.EndRefresh();
    list->Refill();
    EXPECT_EQ(list->CurrentPage(), 2);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"L21", "L22", "L23", "L25", "L26", "L27", "L28", "L29", "L30"}));
    EXPECT_EQ(TickedRows(), std::vector<int>{0});
    EXPECT_EQ(Text(IDC_STA_LX_GL_FENYE_JILUSHU), "29");
}

// Refused before anything is sent: no name, a single station, a name the store has (the server
// deletes by name, so a second L1 must never be sent). Without the connection the route is
// neither stored nor listed. Each time a box says why and the drawing stays; clearing empties it.
TEST_F(RouteWindows, SaveRefusesANamelessRouteOneOfASingleStationATakenNameAndWithoutTheConnection) {
    AddRoutes(1);
    list->GoToPage(1);
    menu->ShowAdd();
    Command("marker,S1,甲,30.1,120.1,0,0");
    Command("marker,S2,乙,30.2,120.2,1.5,6");
    Button(draw, IDC_BTN_LX_ADD)->click();
    EXPECT_EQ(draw->Drawing().Working().stations.size(), 2u);
    Button(draw, IDC_BTN_CLEAR)->click();
    EXPECT_EQ(DrawText(IDC_STA_LX_ADD_TIME) + DrawText(IDC_EDT_LX_ADD_ZHANDIAN), "");
    Type(draw->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME), "新线");
    Command("marker,S1,甲,30.1,120.1,0,0");
    Button(draw, IDC_BTN_LX_ADD)->click();
    draw->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME)->clear();
    Type(draw->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME), " L1 ");
    Command("marker,S2,乙,30.2,120.2,1.5,6");
    Button(draw, IDC_BTN_LX_ADD)->click();
    EXPECT_TRUE(sent.empty());
    Type(draw->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME), "环线");
    sendsLeft = 0;
    Button(draw, IDC_BTN_LX_ADD)->click();
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(messages, (std::vector<std::string>{"线路名称不能为空", "线路上的点不能少于2个", "线路名称已存在",
                                                  "与服务器的连接已断开，线路未保存。重新连接后请再试。"}));
    EXPECT_EQ(draw->Drawing().Working().stations.size(), 2u);
    EXPECT_EQ(menu->CurrentMode(), RouteMenuWindow::Mode::Add);
    EXPECT_EQ(store.Size(), 1u);
    EXPECT_EQ(Column(0), std::vector<std::string>{"L1"});
}

TEST_F(RouteWindows, SaveStoresSendsListsAndGoesBackToTheList) {
    AddRoutes(1);
    list->GoToPage(1);
    menu->ShowAdd();
    Type(draw->Item<QLineEdit>(IDC_EDT_LX_ADD_NAME), "环线");
    Command("marker,S1,  甲 ,30.1,120.1,0,0");
    Command("marker,S2,乙,30.2,120.2,1.5,7");
    menu->ShowAdd();  // picked again: the map reloads, the drawing stays
    Command("marker,S3,丙,30.3,120.3,2.25,8");
    Command("alarm,x");
    // The controls follow a burst of commands a moment later.
    ASSERT_TRUE(test::WaitFor([&] {
        return DrawText(IDC_EDT_LX_ADD_ZHANDIAN) + "|" + DrawText(IDC_STA_DIS) + "|" + DrawText(IDC_STA_LX_ADD_TIME) ==
               "甲 — 乙 — 丙|3.75|00:15";
    })) << DrawText(IDC_EDT_LX_ADD_ZHANDIAN).toStdString();
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "CMD NOT:alarm"), log.lines.end());

    Button(draw, IDC_BTN_LX_ADD)->click();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["header"]["cmd"].asString() + " " + sent[0]["body"]["userName"].asString(), "9004 调度员");
    ASSERT_EQ(store.Size(), 2u);
    EXPECT_EQ(store.At(1)->lineName + " " + store.At(1)->length + " " + std::to_string(store.At(1)->stations.size()), "环线 3.75 3");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"L1", "环线"}));
    EXPECT_EQ(Column(1).back(), "甲 — 乙 — 丙");
    // Emptied, and the list is shown again.
    EXPECT_TRUE(draw->Drawing().Working().stations.empty());
    EXPECT_EQ(DrawText(IDC_EDT_LX_ADD_NAME) + DrawText(IDC_EDT_LX_ADD_ZHANDIAN) + DrawText(IDC_STA_DIS), "");
    EXPECT_EQ(menu->CurrentMode(), RouteMenuWindow::Mode::Manage);
    EXPECT_TRUE(list->isVisible() && !draw->isVisible());
    EXPECT_TRUE(menu->Item<QAbstractButton>(IDC_RAD_SUBMENU_XIANLU_GUANLI)->isChecked());
}

}  // namespace
}  // namespace fw
