#pragma once

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>

#include <functional>

class QWebChannel;
class QWebEngineLoadingInfo;

namespace fw {

class LogSink;
class PageRelay;

// How long a page's alert band stays and how long a page's confirm waits for an answer before
// it reads as 取消 (as the dialog sweep closed such boxes). Tests shorten them.
struct PageDialogTimes {
    int alertMs = 10000;
    int confirmMs = 10000;
};
PageDialogTimes& PageDialogTiming();

// A page of the dispatch server's web site inside the program. No box of the browser's own may
// open: an alert is logged and announced (its window shows it in a band over the page), a
// confirm is asked in the program's own box (确定 / 取消) that answers 取消 when left unanswered,
// a prompt is logged and answered at once, script errors are logged. A page that cannot load is
// replaced by a Chinese page naming the address and the reason. With a relay, documents of the
// trusted web site get FenwardeRelay; others do not.
class EmbeddedPage : public QWebEnginePage {
    Q_OBJECT
public:
    struct Options {
        QString name;                           // in log lines: "监控页面"
        LogSink* log = nullptr;
        PageRelay* relay = nullptr;             // null: no page commands
        std::function<QString()> trustedBase;   // "http://server:webport" of the web site
    };

    EmbeddedPage(Options options, QObject* parent);
    ~EmbeddedPage() override;

    // Whether the document shown comes from the trusted web site.
    bool IsTrusted() const;
    bool IsShowingLoadError() const { return showingError_; }
    // 刷新: the address that failed again, or the page shown.
    void Refresh();

signals:
    void alertRaised(const QString& text);
    void loadFailed(const QUrl& url, const QString& reason);

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int lineNumber, const QString& sourceID) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    void OnLoading(const QWebEngineLoadingInfo& info);
    void UpdateRelayScripts();
    void Log(const QString& text) const;

    Options options_;
    // The relay belongs to the window's browser control and may go before or after the page.
    QPointer<PageRelay> relay_;
    QWebChannel* channel_ = nullptr;
    QString scriptsBase_;
    bool scriptsInstalled_ = false;
    bool showingError_ = false;
    QUrl failedUrl_;
};

// Whether url belongs to the web site at base ("http://host:port"): same scheme, host and port.
bool IsSameSite(const QUrl& url, const QUrl& base);

}  // namespace fw
