#include "skin/SkinControlFactory.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

#include "skin/SkinAccessibility.h"
#include "skin/SkinControls.h"
#include "skin/SkinListView.h"

namespace fw {
namespace {

// Screen readers and UI automation find a control by its accessible name. A captioned button,
// radio or check box is named by its text as it reads at the moment; every other control gets
// the name the skin gives it, which an icon button also shows as its tooltip.
void Name(QWidget* w, const skin::Control& def) {
    const QString name = QString::fromStdString(skin::AccessibleName(def));
    if (name.isEmpty()) return;
    w->setAccessibleName(name);
    // The text field inside an editable drop-down or a date picker, and a drop-down's list, are
    // nodes of their own.
    for (QLineEdit* inner : w->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        inner->setAccessibleName(name);
    if (auto* combo = qobject_cast<QComboBox*>(w)) combo->view()->setAccessibleName(name);
    if (def.family == skin::Family::PushButton && def.caption.empty() && w->toolTip().isEmpty())
        w->setToolTip(name);
}

}  // namespace

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
    Name(w, def);
    w->setEnabled(!def.disabled);
    // Hidden controls exist from the start; the windows show them when needed.
    w->setVisible(def.visible);
    if (!def.visible) w->setAttribute(Qt::WA_WState_ExplicitShowHide);
    return w;
}

}  // namespace fw
