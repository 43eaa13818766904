#pragma once

#include <functional>

#include "skin/CUIWnd.h"

namespace fw {

// The log switch: "是" sets it to 1, "否" to 0, at once; there is no OK or Cancel. A switch
// that is neither 0 nor 1 (conf.ini may say 2) ticks neither box.
class SettingsWindow : public CUIWnd {
    Q_OBJECT
public:
    SettingsWindow(int writeLog, std::function<void(int)> setWriteLog, QWidget* owner);

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    int writeLog_;
    std::function<void(int)> setWriteLog_;
};

}  // namespace fw
