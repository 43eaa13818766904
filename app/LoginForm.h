#pragma once

#include <string>

#include "base/Config.h"

namespace fw {

// What the login window shows and returns.
struct LoginForm {
    std::string user;
    std::string password;
    std::string server;
    bool remember = false;
};

// The form as the login window opens: user and server always, the password and a ticked box
// only while the password is remembered ("1").
LoginForm PrefillLoginForm(const LoginConfig& config);

// A login attempt copies the form into the settings (remember as "1" or "0"); nothing is
// checked, empty fields go out as they are.
void ApplyLoginForm(const LoginForm& form, LoginConfig& config);

// --autologin submits the form at once only when there is something to submit.
bool CanLogInUnattended(const LoginConfig& config);

}  // namespace fw
