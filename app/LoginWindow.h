#pragma once

#include <QPointer>

#include <functional>

#include "app/LoginForm.h"
#include "skin/CUIWnd.h"

namespace fw {

// Asks for server, user and password. The login button hands the form to the main window,
// which connects without blocking; meanwhile the window stays responsive and says so.
class LoginWindow : public CUIWnd {
    Q_OBJECT
public:
    static constexpr int kOk = 1;

    explicit LoginWindow(QWidget* owner);

    // Idle: the form can be used. Connecting: the TCP connection is being made. LoggingIn: the
    // request is out and the server's answer awaited. The form is locked while busy.
    enum class State { Idle, Connecting, LoggingIn };

    void Fill(const LoginForm& form);
    LoginForm Form() const;
    void SetState(State state);
    State CurrentState() const { return state_; }
    bool IsConnecting() const { return state_ != State::Idle; }
    // Presses the login button, as --autologin does once the window is up.
    void SubmitSoon();

    std::function<void(LoginWindow&)> onLogin;

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    QWidget* InitialFocus() const override;

private:
    State state_ = State::Idle;
    QPointer<QWidget> focusBeforeBusy_;
};

}  // namespace fw
