#include "app/ReportMenuWindow.h"

#include <QRadioButton>

#include "res/RESOURCE.H"

namespace fw {

ReportMenuWindow::ReportMenuWindow(QWidget* owner) : CUIWnd(owner) {}

void ReportMenuWindow::InitSkinWindowId() { SetSkinWindowId(IDW_BAOBIAO_HEAD); }

bool ReportMenuWindow::OnCreate() {
    return GetDlgItem(IDC_RAD_LINE_RUN) != nullptr && GetDlgItem(IDC_RAD_MORE) != nullptr;
}

void ReportMenuWindow::TickMode() {
    Item<QRadioButton>(mode_ == 1 ? IDC_RAD_MORE : IDC_RAD_LINE_RUN)->setChecked(true);
}

void ReportMenuWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id != IDC_RAD_LINE_RUN && id != IDC_RAD_MORE) return;
    mode_ = id == IDC_RAD_MORE ? 1 : 0;
    if (onModeChanged) onModeChanged();
}

}  // namespace fw
