#include "web/WebReportWindow.h"

#include "res/RESOURCE.H"
#include "skin/SkinControls.h"
#include "web/BrowserHost.h"

namespace fw {

WebReportWindow::WebReportWindow(QWidget* owner, Context context)
    : CUIWnd(owner), context_(std::move(context)) {}

void WebReportWindow::InitSkinWindowId() { SetSkinWindowId(IDW_BAOBIAO_WEB); }

bool WebReportWindow::OnCreate() {
    auto* browser = Item<SkinBrowser>(IDC_HTMLCTRL_NEW_REPOR);
    if (browser == nullptr) return false;
    host_ = new BrowserHost(browser, {QStringLiteral("报表页面"), context_.log, false,
                                      context_.trustedBase});
    return true;
}

}  // namespace fw
