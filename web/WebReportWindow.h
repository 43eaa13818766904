#pragma once

#include <functional>

#include "skin/CUIWnd.h"

namespace fw {

class BrowserHost;
class LogSink;

// The web report site ("更多报表"), signed in after login. It sends no commands.
class WebReportWindow : public CUIWnd {
    Q_OBJECT
public:
    struct Context {
        LogSink* log = nullptr;
        std::function<QString()> trustedBase;
    };

    WebReportWindow(QWidget* owner, Context context);

    BrowserHost* Host() const { return host_; }

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;

private:
    Context context_;
    BrowserHost* host_ = nullptr;
};

}  // namespace fw
