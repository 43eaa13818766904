#pragma once

#include "skin/CUIWnd.h"

namespace fw {

// A page of the main window built from its skin window alone. The pages whose work comes with
// their own classes start as this: complete skinned windows with all their controls.
class PageWindow : public CUIWnd {
    Q_OBJECT
public:
    PageWindow(int skinWindowId, QWidget* owner) : CUIWnd(owner), id_(skinWindowId) {}

protected:
    void InitSkinWindowId() override { SetSkinWindowId(id_); }

private:
    int id_;
};

}  // namespace fw
