#include "skin/SkinControlFactory.h"

#include "skin/SkinControls.h"
#include "skin/SkinListView.h"

namespace fw {

QWidget* CreateSkinControl(const skin::Control& def, const QRect& rect, QWidget* parent, ListForm lists) {
    SkinLook look = SkinLook::From(def);
    QWidget* w = nullptr;
    switch (def.family) {
        case skin::Family::PushButton: w = new SkinPushButton(std::move(look), parent); break;
        case skin::Family::Static: w = new SkinStatic(std::move(look), parent); break;
        case skin::Family::Check: w = new SkinCheckBox(std::move(look), parent); break;
        case skin::Family::Radio: w = new SkinRadioButton(std::move(look), parent); break;
        case skin::Family::Edit: w = new SkinEdit(std::move(look), parent); break;
        case skin::Family::ComboBox: w = new SkinComboBox(std::move(look), parent); break;
        case skin::Family::DateTimeCtrl: w = new SkinDateTimeEdit(std::move(look), parent); break;
        case skin::Family::Progress: w = new SkinProgressBar(std::move(look), parent); break;
        case skin::Family::ListCtrl:
            if (lists == ListForm::Model)
                w = new SkinListView(std::move(look), parent);
            else
                w = new SkinListCtrl(std::move(look), parent);
            break;
        case skin::Family::HtmlCtrl: w = new SkinBrowser(std::move(look), parent); break;
        default:
            qWarning("[Glimmerkit]===no control of family %s for %s; an empty one stands in",
                     std::string(skin::ElementName(def.family)).c_str(), def.idName.c_str());
            w = new QWidget(parent);
            break;
    }
    w->setObjectName(QString::fromStdString(def.idName));
    w->setProperty("skinId", def.id);
    w->setGeometry(rect);
    if (def.tabStop && w->focusPolicy() == Qt::NoFocus) w->setFocusPolicy(Qt::StrongFocus);
    if (def.toolTipEnabled && !def.toolTip.empty()) w->setToolTip(QString::fromStdString(def.toolTip));
    w->setEnabled(!def.disabled);
    // Hidden controls exist from the start; the windows show them when needed.
    w->setVisible(def.visible);
    if (!def.visible) w->setAttribute(Qt::WA_WState_ExplicitShowHide);
    return w;
}

}  // namespace fw
