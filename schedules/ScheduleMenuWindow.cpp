#include "schedules/ScheduleMenuWindow.h"

#include <QRadioButton>

#include "res/RESOURCE.H"
#include "schedules/ScheduleLayout.h"

namespace fw {
namespace {

void Place(QWidget* window, const skin::Rect& r) {
    if (window == nullptr) return;
    window->setGeometry(r.left, r.top, r.Width(), r.Height());
    window->show();
}

}  // namespace

ScheduleMenuWindow::ScheduleMenuWindow(QWidget* owner) : CUIWnd(owner) {}

void ScheduleMenuWindow::InitSkinWindowId() { SetSkinWindowId(IDW_SUBMEBU_PAIBAN); }

bool ScheduleMenuWindow::OnCreate() {
    return Item<QRadioButton>(IDC_RAD_SUBMENU_PAIBAN_GUANLI) != nullptr &&
           Item<QRadioButton>(IDC_RAD_SUBMENU_PAIBAN__ADD) != nullptr;
}

void ScheduleMenuWindow::SetContentWindows(CUIWnd* list, CUIWnd* import, CUIWnd* setup) {
    list_ = list;
    import_ = import;
    setup_ = setup;
}

void ScheduleMenuWindow::TickMode() {
    Item<QRadioButton>(IDC_RAD_SUBMENU_PAIBAN_GUANLI)->setChecked(scheduleMode_ == 0);
    Item<QRadioButton>(IDC_RAD_SUBMENU_PAIBAN__ADD)->setChecked(scheduleMode_ == 1);
}

void ScheduleMenuWindow::ShowScheduleMode() {
    TickMode();
    const bool manage = scheduleMode_ == 0;
    // Only the windows that leave are hidden, so a resize moves the page without a flicker.
    for (CUIWnd* w : {list_.data(), import_.data(), setup_.data()})
        if (w != nullptr && (w == list_) != manage) w->hide();
    // Another page is showing (a save can finish meanwhile): the mode waits for this page.
    const QWidget* main = parentWidget();
    if (main == nullptr || !isVisible()) {
        if (list_) list_->hide();
        return;
    }
    // The content area: under this bar, down to the owner's bottom edge less one pixel.
    const QRect bar = geometry();
    const skin::Rect body{bar.left(), bar.bottom() + 1, bar.right() + 1, main->height() - 1};
    if (manage) {
        Place(list_, body);
    } else {
        const CreateModeLayout create = SplitCreateArea(body, import_ ? import_->height() : 0);
        Place(import_, create.import);
        Place(setup_, create.setup);
    }
}

void ScheduleMenuWindow::SwitchToManage() {
    scheduleMode_ = 0;
    ShowScheduleMode();
}

void ScheduleMenuWindow::SwitchToCreate() {
    scheduleMode_ = 1;
    ShowScheduleMode();
}

void ScheduleMenuWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_RAD_SUBMENU_PAIBAN_GUANLI) SwitchToManage();
    else if (id == IDC_RAD_SUBMENU_PAIBAN__ADD) SwitchToCreate();
}

}  // namespace fw
