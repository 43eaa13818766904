#include "app/LoginForm.h"

namespace fw {

LoginForm PrefillLoginForm(const LoginConfig& config) {
    LoginForm form;
    form.user = config.user;
    form.server = config.server;
    if (config.remember == "1") {
        form.password = config.password;
        form.remember = true;
    }
    return form;
}

void ApplyLoginForm(const LoginForm& form, LoginConfig& config) {
    config.server = form.server;
    config.user = form.user;
    config.password = form.password;
    config.remember = std::to_string(form.remember ? 1 : 0);  // "%d" of the ticked state
}

bool CanLogInUnattended(const LoginConfig& config) {
    return config.remember == "1" && !config.server.empty() && !config.user.empty();
}

}  // namespace fw
