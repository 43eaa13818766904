#pragma once

#include <functional>

#include "skin/CUIWnd.h"

namespace fw {

class BrowserHost;
class LogSink;

// The monitoring page (page 3): the live vehicle page of the web site, signed in after login.
// Every command the page hands over is answered with setAlarmType("Fen_warde"). An alert of the
// page (an expired session says so) makes the next dialog sweep sign the page in again.
class MonitorWindow : public CUIWnd {
    Q_OBJECT
public:
    struct Context {
        LogSink* log = nullptr;
        std::function<QString()> trustedBase;
    };

    MonitorWindow(QWidget* owner, Context context);

    BrowserHost* Host() const { return host_; }
    bool AlertPending() const { return alertPending_; }

    // The page's part of the dialog sweep.
    void Sweep();

    static constexpr const char* kAlarmAnswer = "Fen_warde";

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;

private:
    void AnswerPage();

    Context context_;
    BrowserHost* host_ = nullptr;
    bool alertPending_ = false;
};

}  // namespace fw
