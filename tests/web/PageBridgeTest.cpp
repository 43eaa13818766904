#include <gtest/gtest.h>

#include <QApplication>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMenu>
#include <QSignalSpy>
#include <QTcpServer>
#include <QToolButton>
#include <QWebEngineView>

#include <map>
#include <memory>

#include "base/MessageBox.h"
#include "skin/SkinControls.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WaitFor.h"
#include "tests/support/WebEngineProbe.h"
#include "web/BrowserHost.h"
#include "web/EmbeddedPage.h"
#include "web/PageAlertBand.h"
#include "web/PageRelay.h"
#include "web/PageScript.h"

namespace fw {
namespace {

using test::WaitFor;

// A small web site on a free port. The program trusts it as http://127.0.0.1:port; the same
// server reached as http://localhost:port is another origin, which must get no relay.
class TestSite {
public:
    TestSite() {
        tcp_ = new QTcpServer(&http_);
        tcp_->listen(QHostAddress::LocalHost, 0);
        http_.bind(tcp_);
        http_.setMissingHandler([this](const QHttpServerRequest& r, QHttpServerResponder&& responder) {
            const QString path = r.url().path();
            if (path == "/redirect") {
                return responder.write(QByteArray(), {{"Location", Foreign("/probe").toUtf8()}},
                                       QHttpServerResponder::StatusCode::Found);
            }
            auto page = pages_.find(path);
            if (page == pages_.end())
                return responder.write("not found\n", "text/plain", QHttpServerResponder::StatusCode::NotFound);
            responder.write(page->second.toUtf8(), "text/html; charset=utf-8");
        });
        const QString probe = QStringLiteral(
            "<script>document.title = typeof FenwardeRelay + '/' + typeof qt;"
            "function join3(a, b, c) { return a + '|' + b + '|' + c; }"
            "function echo(x) { return x; }"
            "function boom() { throw new Error('boom'); }</script>");
        pages_ = {
            {"/probe", probe},
            {"/cmds", "<script>FenwardeRelay.operate('first'); FenwardeRelay.operate(42);"
                      "FenwardeRelay.operate(); FenwardeRelay.operate(' a,b ,c ');</script>"},
            {"/burst", "<script>for (var i = 0; i < 10000; ++i) FenwardeRelay.operate('cmd ' + i);"
                       "document.title = 'sent';</script>"},
            {"/away", "<script>location.href = '" + Foreign("/probe") + "';</script>"},
            {"/dialogs", "<script>alert('提示一下'); var c = confirm('继续?'); var p = prompt('名字', 'x');"
                         "document.title = 'confirm:' + c + ',prompt:' + p; notAFunction();</script>"},
        };
    }

    QString Trusted() const { return QStringLiteral("http://127.0.0.1:%1").arg(tcp_->serverPort()); }
    QString Foreign(const QString& path) const {
        return QStringLiteral("http://localhost:%1%2").arg(tcp_->serverPort()).arg(path);
    }
    QUrl At(const QString& path) const { return QUrl(Trusted() + path); }
    void Add(const QString& path, const QString& html) { pages_[path] = html; }

private:
    QHttpServer http_;
    QTcpServer* tcp_ = nullptr;
    std::map<QString, QString> pages_;
};

class PageBridge : public testing::Test {
protected:
    void SetUp() override {
        FW_REQUIRE_WEB_ENGINE();
        window = std::make_unique<QWidget>();
        window->resize(800, 600);
        browser = new SkinBrowser(SkinLook{}, window.get());
        browser->resize(800, 600);
        host = new BrowserHost(browser, {QStringLiteral("测试页面"), &log, true,
                                         [this] { return site.Trusted(); }});
        QObject::connect(host->Relay(), &PageRelay::operation, [this] { commands.push_back(host->Relay()->CommandText()); });
        window->show();
        ASSERT_NE(host->Page(), nullptr);
    }

    // Loads a page and waits until it has finished.
    bool Load(const QUrl& url) {
        QSignalSpy finished(host->Page(), &QWebEnginePage::loadFinished);
        browser->Navigate(url);
        return WaitFor([&] { return finished.count() > 0; });
    }
    bool TitleIs(const QString& title) {
        return WaitFor([&] { return host->Page()->title() == title; }, 20000);
    }
    bool Logged(const std::string& part) {
        return std::any_of(log.lines.begin(), log.lines.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    QString Evaluate(const QString& script) {
        QVariant result;
        bool done = false;
        host->Page()->runJavaScript(script, [&](const QVariant& v) { result = v; done = true; });
        WaitFor([&] { return done; });
        return result.toString();
    }

    TestSite site;
    test::MemoryLog log;
    std::unique_ptr<QWidget> window;
    SkinBrowser* browser = nullptr;
    BrowserHost* host = nullptr;
    QStringList commands;
};

TEST_F(PageBridge, EachCommandReachesTheWindowOnceInOrderEvenBeforeTheChannelIsUp) {
    QSignalSpy attached(host->Relay(), &PageRelay::attached);
    browser->Navigate(site.At("/cmds"));
    ASSERT_TRUE(WaitFor([&] { return commands.size() >= 4; })) << commands.join('|').toStdString();
    EXPECT_EQ(commands, (QStringList{"first", "42", "", " a,b ,c "}));
    EXPECT_EQ(attached.count(), 1);
    QTest::qWait(200);
    EXPECT_EQ(commands.size(), 4);  // once each

    commands.clear();
    browser->Navigate(site.At("/burst"));
    ASSERT_TRUE(WaitFor([&] { return commands.size() >= 10000; }, 120000)) << commands.size();
    EXPECT_EQ(std::tuple(commands.first(), commands.last(), commands.size()), std::tuple("cmd 0", "cmd 9999", 10000));
}

TEST_F(PageBridge, OnlyTheConfiguredSiteGetsTheRelayAndItsScriptsAreCalledByName) {
    PageScript script;
    EXPECT_FALSE(script.CallScript("join3"));  // no document yet
    ASSERT_TRUE(Load(site.At("/probe")));
    EXPECT_TRUE(TitleIs("object/undefined"));  // the channel lives in an isolated world
    EXPECT_TRUE(host->Page()->IsTrusted());
    ASSERT_TRUE(script.SetDocument(host->Page()));
    QVariant joined;
    ASSERT_TRUE(script.CallScript("join3", {"一", "two", "三"}, [&](bool ok, const QVariant& v) {
        EXPECT_TRUE(ok);
        joined = v;
    }));
    ASSERT_TRUE(WaitFor([&] { return joined.isValid(); }));
    EXPECT_EQ(joined, QVariant(QStringLiteral("一|two|三")));
    const QString awkward = QStringLiteral("\"'</script>\\n\n\u2028${x}");
    QVariant echoed;
    script.CallScript("echo", {awkward}, [&](bool, const QVariant& v) { echoed = v; });
    ASSERT_TRUE(WaitFor([&] { return echoed.isValid(); }));
    EXPECT_EQ(echoed.toString(), awkward);
    // A function the page lacks, or one that throws, reports failure to its caller.
    int failed = 0;
    for (const char* name : {"noSuchFunction", "boom"})
        EXPECT_TRUE(script.CallScript(name, {}, [&](bool ok, const QVariant&) { failed += ok ? 0 : 1; }));
    EXPECT_TRUE(WaitFor([&] { return failed == 2; }));
    EXPECT_TRUE(script.LastError().startsWith(PageScript::kErrorPrefix)) << script.LastError().toStdString();

    // Another origin, reached directly, by the page's own navigation, or by a redirect.
    for (const QUrl& url : {QUrl(site.Foreign("/probe")), site.At("/away"), site.At("/redirect")}) {
        ASSERT_TRUE(Load(url)) << url.toString().toStdString();
        EXPECT_TRUE(TitleIs("undefined/undefined")) << url.toString().toStdString();
        EXPECT_FALSE(host->Page()->IsTrusted());
    }
    // Even a call that reached the relay some other way is dropped while such a page is shown.
    QSignalSpy dropped(host->Relay(), &PageRelay::dropped);
    host->Relay()->operate("marker,forged");
    EXPECT_EQ(dropped.count(), 1);
    EXPECT_TRUE(commands.isEmpty());
}

// A page's alert shows in a band over the page, in its own words, for a while or until closed;
// a confirm asks in the program's own box, and one left unanswered reads as 取消; a prompt and
// script errors are only logged. No box of the browser's own ever opens.
TEST_F(PageBridge, AlertsShowInABandAndConfirmsAskInTheProgramsBox) {
    std::vector<std::string> boxes;
    SetMessageObserver([&](const QString& text) { boxes.push_back(text.toStdString()); });
    PageDialogTiming() = {.alertMs = 400, .confirmMs = 300};
    QSignalSpy alerts(host, &BrowserHost::alertRaised);
    ASSERT_TRUE(Load(site.At("/dialogs")));
    EXPECT_TRUE(TitleIs("confirm:true,prompt:null"));
    EXPECT_EQ(boxes, std::vector<std::string>{"继续?"});
    ASSERT_EQ(alerts.count(), 1);
    PageAlertBand* band = host->AlertBand();
    EXPECT_TRUE(band->isVisible());
    EXPECT_EQ(band->Text(), "提示一下");
    EXPECT_EQ(band->geometry(), QRect(0, 0, browser->width(), band->height()));
    EXPECT_TRUE(Logged("网页确认（测试页面）：确定"));
    ASSERT_TRUE(WaitFor([&] { return Logged("脚本错误（测试页面）"); }));
    ASSERT_TRUE(WaitFor([&] { return !band->isVisible(); }, 5000));  // gone by itself

    // Unanswered, the box answers 取消 by itself; the alert band closes with its ×.
    SetMessageObserver([&](const QString& text) { boxes.push_back(text.toStdString()); }, true);
    ASSERT_TRUE(Load(site.At("/dialogs")));
    EXPECT_TRUE(TitleIs("confirm:false,prompt:null"));
    EXPECT_TRUE(Logged("网页确认（测试页面）：取消"));
    ASSERT_TRUE(band->isVisible());
    band->CloseButton()->click();
    EXPECT_FALSE(band->isVisible());
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible() && w->isModal());
    SetMessageObserver({});
    PageDialogTiming() = {};
}

TEST_F(PageBridge, APageThatCannotLoadShowsOurChinesePageAndTheMenuRefreshesIt) {
    quint16 closed;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closed = probe.serverPort();
    }
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/myquorvel/quorvel/jsp/AutomaticLogin.jsp?uName=a&uPass=secret").arg(closed));
    browser->Navigate(url);
    ASSERT_TRUE(WaitFor([&] { return host->Page()->IsShowingLoadError(); }));
    ASSERT_TRUE(TitleIs("无法打开页面"));
    const QString text = Evaluate("document.body.innerText");
    for (const QString& part : {QStringLiteral("127.0.0.1:%1/myquorvel").arg(closed), QStringLiteral("uPass=******"),
                                QStringLiteral("服务器拒绝连接"), QStringLiteral("网页端口（WebPort）")})
        EXPECT_TRUE(text.contains(part)) << text.toStdString();
    EXPECT_FALSE(text.contains("secret") || text.contains("This site")) << text.toStdString();
    EXPECT_FALSE(host->Page()->IsTrusted());  // the error page gets no relay either

    // A page the server does not have is a failure too.
    browser->Navigate(site.At("/later"));
    ASSERT_TRUE(WaitFor([&] {
        return Evaluate("document.body.innerText").contains(QStringLiteral("服务器返回错误 404"));
    }));

    // The context menu holds only 刷新 and 复制 (never the engine's own menu); 刷新 tries the failed
    // address again: once the site has the page, it shows, and 复制 is there for a selection.
    EXPECT_EQ(host->View()->contextMenuPolicy(), Qt::CustomContextMenu);
    std::unique_ptr<QMenu> menu(host->CreateContextMenu(nullptr));
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text() + (a->isEnabled() ? "" : " (off)");
    EXPECT_EQ(texts, (QStringList{"刷新", "复制 (off)"}));
    site.Add("/later", "<title>here now</title><p>选中这段文字</p>");
    menu->actions().at(0)->trigger();
    ASSERT_TRUE(TitleIs("here now"));
    // The title comes before the load has finished; the page's state follows the finish.
    EXPECT_TRUE(WaitFor([&] { return !host->Page()->IsShowingLoadError() && host->Page()->IsTrusted(); }));
    // Asked again until it takes: a renderer still settling the new page can drop the first.
    ASSERT_TRUE(WaitFor([&] {
        if (!host->Page()->hasSelection()) host->Page()->triggerAction(QWebEnginePage::SelectAll);
        return host->Page()->hasSelection();
    }));
    // A right click brings up that menu, 复制 now there.
    emit host->View()->customContextMenuRequested(QPoint(10, 10));
    QMenu* shown = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible()) shown = m;
        return shown != nullptr;
    }));
    EXPECT_TRUE(shown->actions().size() == 2 && shown->actions().at(1)->isEnabled());
    shown->close();
}

}  // namespace
}  // namespace fw
