#pragma once

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

    void Fill(const LoginForm& form);
    LoginForm Form() const;
    void SetConnecting(bool connecting);
    bool IsConnecting() const { return connecting_; }
    // Presses the login button, as --autologin does once the window is up.
    void SubmitSoon();

    std::function<void(LoginWindow&)> onLogin;

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    bool connecting_ = false;
};

}  // namespace fw
