#include "skin/SkinAccessibleInterfaces.h"

#include <QAbstractButton>
#include <QAccessibleWidget>

namespace fw {
namespace {

QString StripAmpersands(QString text) {
    // "&&" is a literal ampersand; a single one marks a mnemonic.
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == QLatin1Char('&')) text.remove(i, 1);
    return text;
}

// The skin's radios keep their groups themselves, so Qt sees them as not auto-exclusive.
class RadioAccessible : public QAccessibleWidget {
public:
    explicit RadioAccessible(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return StripAmpersands(Button()->text());
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Button()->isChecked();
        s.pressed = Button()->isDown();
        return s;
    }
    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) names << pressAction() << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }
    // Either way the radio is clicked, so its window hears of it as of a mouse click.
    void doAction(const QString& name) override {
        if ((name == pressAction() || name == toggleAction()) && widget()->isEnabled()) {
            Button()->click();
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

QAccessibleInterface* SkinInterface(const QString& key, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (key == QLatin1String("fw::SkinRadioButton"))
        return new RadioAccessible(static_cast<QAbstractButton*>(widget));
    if (key == QLatin1String("fw::CUIWnd"))
        return new QAccessibleWidget(widget,
                                     widget->isWindow() ? QAccessible::Window : QAccessible::Pane);
    if (key == QLatin1String("fw::SkinMessageBox"))
        return new QAccessibleWidget(widget, QAccessible::AlertMessage);
    return nullptr;
}

}  // namespace

void InstallSkinAccessibility() {
    static const bool installed = (QAccessible::installFactory(SkinInterface), true);
    (void)installed;
}

}  // namespace fw
