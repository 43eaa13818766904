#include "app/SettingsWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "base/Config.h"
#include "base/MessageBox.h"
#include "res/RESOURCE.H"

namespace fw {

SettingsWindow::SettingsWindow(int writeLog, std::function<void(int)> setWriteLog, QWidget* owner)
    : CUIWnd(owner), writeLog_(writeLog), setWriteLog_(std::move(setWriteLog)) {}

void SettingsWindow::SetPorts(Ports ports, std::function<void(Ports)> setPorts) {
    ports_ = ports;
    setPorts_ = std::move(setPorts);
    if (!IsCreated()) return;
    Item<QLineEdit>(IDC_EDT_SETTING_PORT)->setText(QString::number(ports.server));
    Item<QLineEdit>(IDC_EDT_SETTING_WEBPORT)->setText(QString::number(ports.web));
}

void SettingsWindow::SetDetection(DetectionRule rule, std::function<void(DetectionRule)> setRule) {
    rule_ = rule;
    setRule_ = std::move(setRule);
    if (!IsCreated()) return;
    Item<QRadioButton>(IDC_RAD_SETTING_INTERPOLATED)
        ->setChecked(rule == DetectionRule::Interpolated);
    Item<QRadioButton>(IDC_RAD_SETTING_FIRST_FIX)->setChecked(rule == DetectionRule::FirstFix);
}

void SettingsWindow::SetMatching(Matching matching, std::function<void(Matching)> setMatching) {
    matching_ = matching;
    setMatching_ = std::move(setMatching);
    if (!IsCreated()) return;
    Item<QRadioButton>(IDC_RAD_SETTING_SEQUENCE)->setChecked(matching == Matching::Sequence);
    Item<QRadioButton>(IDC_RAD_SETTING_NEAREST)->setChecked(matching == Matching::Nearest);
}

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
    for (int id : {IDC_EDT_SETTING_PORT, IDC_EDT_SETTING_WEBPORT}) {
        auto* edit = Item<QLineEdit>(id);
        if (!edit) return false;
        edit->setMaxLength(5);
        connect(edit, &QLineEdit::returnPressed, this, [this] { OnCommand(IDC_BTN_SETTING_CLOSE); });
    }
    SetPorts(ports_, setPorts_);
    if (!Item<QRadioButton>(IDC_RAD_SETTING_FIRST_FIX) ||
        !Item<QRadioButton>(IDC_RAD_SETTING_INTERPOLATED))
        return false;
    SetDetection(rule_, setRule_);
    if (!Item<QRadioButton>(IDC_RAD_SETTING_NEAREST) || !Item<QRadioButton>(IDC_RAD_SETTING_SEQUENCE))
        return false;
    SetMatching(matching_, setMatching_);
    // The title the skin draws names the window to the desktop and to screen readers.
    setWindowTitle(Item<QLabel>(IDC_STA_SETTING_TITLE)->text());
    return true;
}

bool SettingsWindow::TakePorts() {
    if (!setPorts_) return true;
    Ports typed;
    const struct {
        int id;
        int* port;
        const char* name;
    } fields[] = {{IDC_EDT_SETTING_PORT, &typed.server, "服务器端口"},
                  {IDC_EDT_SETTING_WEBPORT, &typed.web, "网页端口"}};
    for (const auto& field : fields) {
        auto* edit = Item<QLineEdit>(field.id);
        const auto port = ParsePort(edit->text().toStdString());
        if (!port) {
            ShowMessage(this, QString::fromUtf8(field.name) +
                                  QStringLiteral("必须是 1 到 65535 之间的数字"));
            edit->setFocus();
            edit->selectAll();
            return false;
        }
        *field.port = *port;
    }
    if (typed.server != ports_.server || typed.web != ports_.web) {
        ports_ = typed;
        setPorts_(typed);
    }
    return true;
}

void SettingsWindow::OnCommand(int id) {
    // A port that does not read as one keeps the window open, with the reason.
    if (id == IDC_BTN_SETTING_CLOSE && !TakePorts()) return;
    CUIWnd::OnCommand(id);
    if (id == IDC_RAD_SETTING_LOG_TRUE) setWriteLog_(1);
    if (id == IDC_RAD_SETTING_LOG_FALSE) setWriteLog_(0);
    for (auto [radio, rule] :
         {std::pair{IDC_RAD_SETTING_FIRST_FIX, DetectionRule::FirstFix},
          std::pair{IDC_RAD_SETTING_INTERPOLATED, DetectionRule::Interpolated}})
        if (id == radio && setRule_) setRule_(rule_ = rule);
    for (auto [radio, matching] : {std::pair{IDC_RAD_SETTING_NEAREST, Matching::Nearest},
                                   std::pair{IDC_RAD_SETTING_SEQUENCE, Matching::Sequence}})
        if (id == radio && setMatching_) setMatching_(matching_ = matching);
}

}  // namespace fw
