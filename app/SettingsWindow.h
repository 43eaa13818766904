#pragma once

#include <functional>

#include "reports/DetectionRule.h"
#include "skin/CUIWnd.h"

namespace fw {

// The log switch: "是" sets it to 1, "否" to 0, at once; there is no OK or Cancel. A switch
// that is neither 0 nor 1 (conf.ini may say 2) ticks neither box. The two ports are taken when
// the window is closed with its close box (or Enter), once both read as ports; Escape leaves
// them as they were. They apply at the next login. The detection rule of report runs
// ("首个定位点" / "精确推算") and their matching ("最近计划" / "按班次顺序") apply at once, like
// the log switch.
class SettingsWindow : public CUIWnd {
    Q_OBJECT
public:
    struct Ports {
        int server = 0;
        int web = 0;
    };

    SettingsWindow(int writeLog, std::function<void(int)> setWriteLog, QWidget* owner);
    void SetPorts(Ports ports, std::function<void(Ports)> setPorts);
    void SetDetection(DetectionRule rule, std::function<void(DetectionRule)> setRule);
    void SetMatching(Matching matching, std::function<void(Matching)> setMatching);

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    bool TakePorts();

    int writeLog_;
    std::function<void(int)> setWriteLog_;
    Ports ports_;
    std::function<void(Ports)> setPorts_;
    DetectionRule rule_ = DetectionRule::FirstFix;
    std::function<void(DetectionRule)> setRule_;
    Matching matching_ = Matching::Nearest;
    std::function<void(Matching)> setMatching_;
};

}  // namespace fw
