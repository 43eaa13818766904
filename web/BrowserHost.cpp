#include "web/BrowserHost.h"

#include <QAction>
#include <QMenu>
#include <QWebEngineView>

#include "skin/SkinControls.h"
#include "web/EmbeddedPage.h"
#include "web/PageAlertBand.h"
#include "web/PageRelay.h"

namespace fw {

BrowserHost::BrowserHost(SkinBrowser* browser, Options options)
    : QObject(browser), browser_(browser), options_(std::move(options)) {
    if (options_.relay) relay_ = new PageRelay(this);
    band_ = new PageAlertBand(browser_);
    connect(browser_, &SkinBrowser::viewCreated, this, &BrowserHost::Attach);
    if (browser_->IsViewCreated()) Attach(browser_->View());
}

QWebEngineView* BrowserHost::View() const {
    return browser_->IsViewCreated() ? browser_->View() : nullptr;
}

void BrowserHost::Attach(QWebEngineView* view) {
    if (page_) return;
    EmbeddedPage::Options o;
    o.name = options_.name;
    o.log = options_.log;
    o.relay = relay_;
    o.trustedBase = options_.trustedBase;
    page_ = new EmbeddedPage(std::move(o), view);
    view->setPage(page_);
    connect(page_, &EmbeddedPage::alertRaised, this, &BrowserHost::ShowAlert);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
        QMenu* menu = CreateContextMenu(view);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(view->mapToGlobal(at));
    });
    emit pageCreated(page_);
}

void BrowserHost::ShowAlert(const QString& text) {
    band_->ShowAlert(text, PageDialogTiming().alertMs);
    emit alertRaised(text);
}

QMenu* BrowserHost::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    QPointer<EmbeddedPage> page = page_;
    QAction* refresh = menu->addAction(QStringLiteral("刷新"));
    refresh->setEnabled(page != nullptr);
    connect(refresh, &QAction::triggered, menu, [page] {
        if (page) page->Refresh();
    });
    QAction* copy = menu->addAction(QStringLiteral("复制"));
    copy->setEnabled(page != nullptr && page->hasSelection());
    connect(copy, &QAction::triggered, menu, [page] {
        if (page) page->triggerAction(QWebEnginePage::Copy);
    });
    return menu;
}

}  // namespace fw
