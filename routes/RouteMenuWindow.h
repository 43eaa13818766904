#pragma once

#include <functional>
#include <string>

#include "skin/CUIWnd.h"

namespace fw {

class RouteDrawWindow;
class RouteListWindow;

// The head of the routes page: "线路管理" shows the route list, "线路增加" loads the map page
// (every time it is picked) and shows the drawing window.
class RouteMenuWindow : public CUIWnd {
    Q_OBJECT
public:
    enum class Mode { Manage, Add };

    RouteMenuWindow(QWidget* owner, std::function<std::string()> mapPageUrl);

    void SetPages(RouteListWindow* list, RouteDrawWindow* draw);
    Mode CurrentMode() const { return mode_; }

    // As a click on either radio button.
    void ShowManage();
    void ShowAdd();
    // Puts the window of the current mode under the head, in the main window's client area.
    void Layout();

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    void Tick();

    std::function<std::string()> mapPageUrl_;
    RouteListWindow* list_ = nullptr;
    RouteDrawWindow* draw_ = nullptr;
    Mode mode_ = Mode::Manage;
};

}  // namespace fw
