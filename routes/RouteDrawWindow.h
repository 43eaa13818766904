#pragma once

#include <QTimer>

#include <functional>

#include "routes/RouteContext.h"
#include "routes/RouteDrawing.h"
#include "skin/CUIWnd.h"

namespace fw {

class BrowserHost;
class RouteListWindow;
class RouteMenuWindow;

// Drawing a new route on the map page: each station clicked there arrives as a "marker" command;
// the window shows the stations and their running totals, Save stores the route, sends it (9004)
// and lists it, Clear wipes it here and on the page.
class RouteDrawWindow : public CUIWnd {
    Q_OBJECT
public:
    RouteDrawWindow(QWidget* owner, RouteContext context, std::function<QString()> trustedBase);

    void SetPages(RouteListWindow* list, RouteMenuWindow* menu);

    BrowserHost* Host() const { return host_; }
    const RouteDrawing& Drawing() const { return drawing_; }

    // One page command, as the relay delivers it.
    void OnOperation();
    void Clear();
    void Save();
    // Writes what changed to the controls now rather than at the next turn of the event loop.
    void FlushControls();

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;

private:
    void ControlsChanged();
    void CallClears();

    RouteContext context_;
    std::function<QString()> trustedBase_;
    RouteDrawing drawing_;
    BrowserHost* host_ = nullptr;
    RouteListWindow* list_ = nullptr;
    RouteMenuWindow* menu_ = nullptr;
    // Commands may come in bursts; the controls follow at most once per turn of the event loop.
    QTimer controlsTimer_;
};

}  // namespace fw
