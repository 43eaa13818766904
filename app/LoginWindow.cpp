#include "app/LoginWindow.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "res/RESOURCE.H"

namespace fw {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

LoginWindow::LoginWindow(QWidget* owner) : CUIWnd(owner) {}

void LoginWindow::InitSkinWindowId() { SetSkinWindowId(IDW_LOGIN); }

bool LoginWindow::OnCreate() {
    for (int id : {IDC_BTN_LOGIN_CLOSE, IDC_STA_6, IDC_STA_LOGIN_USER, IDC_EDT_LOGIN_NAME,
                   IDC_STA_LOGIN_PASSWORD, IDC_EDT_LOGIN_PASSWORD, IDC_CHK_LOGIN_JIZHU,
                   IDC_BTN_LOGIN, IDC_EDT_SERVER})
        if (GetDlgItem(id) == nullptr) return false;
    if (auto* password = Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD))
        password->setEchoMode(QLineEdit::Password);
    // A new home knows no server yet: the empty field says what goes there.
    if (auto* server = Item<QLineEdit>(IDC_EDT_SERVER))
        server->setPlaceholderText(QStringLiteral("调度服务器地址，如 192.168.1.10"));
    // Enter anywhere in the window presses 登录, the skin's default button. The title the skin
    // draws names the window to the desktop and to screen readers.
    setWindowTitle(Item<QLabel>(IDC_STA_6)->text().simplified());
    return true;
}

// The first field still to fill in, else 登录: with a remembered password, Enter signs in.
QWidget* LoginWindow::InitialFocus() const {
    // A new home knows no server yet: that is where to start.
    if (auto* server = Item<QLineEdit>(IDC_EDT_SERVER); server && server->isEnabled() && server->text().isEmpty())
        return server;
    for (int id : {IDC_EDT_LOGIN_NAME, IDC_EDT_LOGIN_PASSWORD})
        if (auto* edit = Item<QLineEdit>(id); edit && edit->isEnabled() && edit->text().isEmpty())
            return edit;
    return GetDlgItem(IDC_BTN_LOGIN);
}

void LoginWindow::Fill(const LoginForm& form) {
    if (!IsCreated()) Create(nullptr, false);
    Item<QLineEdit>(IDC_EDT_LOGIN_NAME)->setText(Q(form.user));
    Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD)->setText(Q(form.password));
    Item<QLineEdit>(IDC_EDT_SERVER)->setText(Q(form.server));
    Item<QCheckBox>(IDC_CHK_LOGIN_JIZHU)->setChecked(form.remember);
    if (form.server.empty()) Item<QLineEdit>(IDC_EDT_SERVER)->setFocus();
}

LoginForm LoginWindow::Form() const {
    LoginForm form;
    form.user = S(Item<QLineEdit>(IDC_EDT_LOGIN_NAME)->text());
    form.password = S(Item<QLineEdit>(IDC_EDT_LOGIN_PASSWORD)->text());
    form.server = S(Item<QLineEdit>(IDC_EDT_SERVER)->text());
    form.remember = Item<QCheckBox>(IDC_CHK_LOGIN_JIZHU)->isChecked();
    return form;
}

void LoginWindow::SetState(State state) {
    const bool wasIdle = state_ == State::Idle;
    state_ = state;
    const bool idle = state == State::Idle;
    // Locking the form would pass the focus on to the close box, where the next Enter would
    // end the program: the window holds it meanwhile, and it comes back to where it was.
    if (wasIdle && !idle) {
        QWidget* focus = focusWidget();
        focusBeforeBusy_ = focus && isAncestorOf(focus) ? focus : nullptr;
        setFocus(Qt::OtherFocusReason);
    }
    auto* button = Item<QAbstractButton>(IDC_BTN_LOGIN);
    button->setEnabled(idle);
    button->setText(state == State::Connecting  ? QStringLiteral("连接中…")
                    : state == State::LoggingIn ? QStringLiteral("登录中…")
                                                : QStringLiteral("登录"));
    for (int id : {IDC_EDT_LOGIN_NAME, IDC_EDT_LOGIN_PASSWORD, IDC_EDT_SERVER, IDC_CHK_LOGIN_JIZHU})
        GetDlgItem(id)->setEnabled(idle);
    if (idle && !wasIdle) {
        QWidget* back = focusBeforeBusy_ ? focusBeforeBusy_.data() : InitialFocus();
        if (back) back->setFocus(Qt::OtherFocusReason);
    }
}

void LoginWindow::SubmitSoon() {
    QTimer::singleShot(0, this, [this] { OnCommand(IDC_BTN_LOGIN); });
}

void LoginWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_BTN_LOGIN && state_ == State::Idle && onLogin) onLogin(*this);
}

}  // namespace fw
