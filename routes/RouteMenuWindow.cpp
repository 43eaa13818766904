#include "routes/RouteMenuWindow.h"

#include <QRadioButton>
#include <QUrl>

#include "res/RESOURCE.H"
#include "routes/RouteDrawWindow.h"
#include "routes/RouteListWindow.h"
#include "skin/SkinControls.h"
#include "web/BrowserHost.h"

namespace fw {

RouteMenuWindow::RouteMenuWindow(QWidget* owner, std::function<std::string()> mapPageUrl)
    : CUIWnd(owner), mapPageUrl_(std::move(mapPageUrl)) {}

void RouteMenuWindow::SetPages(RouteListWindow* list, RouteDrawWindow* draw) {
    list_ = list;
    draw_ = draw;
}

void RouteMenuWindow::InitSkinWindowId() { SetSkinWindowId(IDW_SUBMENU_LUXIAN); }

bool RouteMenuWindow::OnCreate() {
    return GetDlgItem(IDC_RAD_SUBMENU_XIANLU_GUANLI) != nullptr &&
           GetDlgItem(IDC_RAD_SUBMENU_XIANLU__ADD) != nullptr;
}

void RouteMenuWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_RAD_SUBMENU_XIANLU__ADD) ShowAdd();
    else if (id == IDC_RAD_SUBMENU_XIANLU_GUANLI) ShowManage();
}

void RouteMenuWindow::ShowAdd() {
    if (draw_ != nullptr && mapPageUrl_)
        draw_->Host()->Browser()->Navigate(QUrl(QString::fromStdString(mapPageUrl_())));
    mode_ = Mode::Add;
    Layout();
}

void RouteMenuWindow::ShowManage() {
    mode_ = Mode::Manage;
    Layout();
}

void RouteMenuWindow::Tick() {
    // Radio buttons set from code touch only themselves: clear the other one explicitly.
    const bool add = mode_ == Mode::Add;
    Item<QRadioButton>(IDC_RAD_SUBMENU_XIANLU__ADD)->setChecked(add);
    Item<QRadioButton>(IDC_RAD_SUBMENU_XIANLU_GUANLI)->setChecked(!add);
}

void RouteMenuWindow::Layout() {
    if (list_ == nullptr || draw_ == nullptr) return;
    CUIWnd* shown = mode_ == Mode::Add ? static_cast<CUIWnd*>(draw_) : list_;
    (shown == draw_ ? static_cast<CUIWnd*>(list_) : draw_)->hide();
    // The body fills the main window below this head, wherever the head stands.
    if (QWidget* main = parentWidget()) {
        const QRect head = geometry();
        shown->setGeometry(head.left(), head.bottom() + 1, head.width(), main->height() - 2 - head.bottom());
        shown->show();
    }
    if (mode_ == Mode::Manage) list_->RefreshPager();
    Tick();
}

}  // namespace fw
