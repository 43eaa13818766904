#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "web/EmbeddedPage.h"

#include <functional>

class QMenu;
class QWebEngineView;
class QWidget;

namespace fw {

class LogSink;
class PageAlertBand;
class PageRelay;
class SkinBrowser;

// Everything a window's browser control needs besides the skin: its page (made when the view is,
// so the web engine still starts only when a page is first shown), the relay for page commands,
// the band that shows the page's alerts, and a context menu of our own with just 刷新 and 复制.
class BrowserHost : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString name;                          // in log lines
        LogSink* log = nullptr;
        bool relay = false;                    // whether its pages may send commands
        std::function<QString()> trustedBase;  // "http://server:webport" of the web site
    };

    BrowserHost(SkinBrowser* browser, Options options);

    SkinBrowser* Browser() const { return browser_; }
    PageRelay* Relay() const { return relay_; }
    // Null until the view exists.
    EmbeddedPage* Page() const { return page_; }
    QWebEngineView* View() const;

    // The context menu for the page as it is now; the caller owns it.
    QMenu* CreateContextMenu(QWidget* parent);
    // Shows a page's alert over the page (also how an alert of the page reaches it).
    void ShowAlert(const QString& text);
    PageAlertBand* AlertBand() const { return band_; }

signals:
    void pageCreated(EmbeddedPage* page);
    void alertRaised(const QString& text);

private:
    void Attach(QWebEngineView* view);

    SkinBrowser* browser_;
    Options options_;
    PageRelay* relay_ = nullptr;
    QPointer<EmbeddedPage> page_;
    PageAlertBand* band_ = nullptr;
};

}  // namespace fw
