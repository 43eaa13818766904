#pragma once

#include <functional>

#include "skin/CUIWnd.h"

namespace fw {

// The head of the report page: "线路运行报表" shows the punctuality report (mode 0), "更多报表"
// the web report site (mode 1).
class ReportMenuWindow : public CUIWnd {
    Q_OBJECT
public:
    explicit ReportMenuWindow(QWidget* owner);

    int Mode() const { return mode_; }
    void TickMode();
    std::function<void()> onModeChanged;

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    int mode_ = 0;
};

}  // namespace fw
