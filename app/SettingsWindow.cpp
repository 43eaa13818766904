#include "app/SettingsWindow.h"

#include <QRadioButton>

#include "res/RESOURCE.H"

namespace fw {

SettingsWindow::SettingsWindow(int writeLog, std::function<void(int)> setWriteLog, QWidget* owner)
    : CUIWnd(owner), writeLog_(writeLog), setWriteLog_(std::move(setWriteLog)) {}

void SettingsWindow::InitSkinWindowId() { SetSkinWindowId(IDW_SETTING); }

bool SettingsWindow::OnCreate() {
    auto* on = Item<QRadioButton>(IDC_RAD_SETTING_LOG_TRUE);
    auto* off = Item<QRadioButton>(IDC_RAD_SETTING_LOG_FALSE);
    if (!on || !off || !GetDlgItem(IDC_STA_SETTING_TITLE) || !GetDlgItem(IDC_BTN_SETTING_CLOSE) ||
        !GetDlgItem(IDC_STA_SETTING_LOG))
        return false;
    // Exclusive radios cannot both be clear; lift that while setting the initial state.
    on->setAutoExclusive(false);
    off->setAutoExclusive(false);
    on->setChecked(writeLog_ == 1);
    off->setChecked(writeLog_ == 0);
    on->setAutoExclusive(true);
    off->setAutoExclusive(true);
    return true;
}

void SettingsWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_RAD_SETTING_LOG_TRUE) setWriteLog_(1);
    if (id == IDC_RAD_SETTING_LOG_FALSE) setWriteLog_(0);
}

}  // namespace fw
