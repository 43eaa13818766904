#pragma once

#include <QAccessible>
#include <QWidget>

#include <string>
#include <vector>

namespace fw::test {

// What the desktop's accessibility bus (AT-SPI) is shown of a window: Qt's accessible
// interfaces, walked from the window down.

// Roles of the nodes a user operates.
inline bool IsOperated(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::List:
        case QAccessible::Table:
        case QAccessible::Tree:
            return true;
        default:
            return false;
    }
}

// Every node under `root` a user operates that has no name, each as the object names from the
// window down to it. The rows and cells of lists are named by their own texts and not walked.
inline std::vector<std::string> NamelessNodes(QWidget* root) {
    std::vector<std::string> nameless;
    auto walk = [&](auto&& self, QAccessibleInterface* node, const std::string& path) -> void {
        if (node == nullptr || !node->isValid()) return;
        const QObject* object = node->object();
        const std::string here =
            path + "/" +
            (object && !object->objectName().isEmpty() ? object->objectName().toStdString()
             : object ? std::string(object->metaObject()->className())
                      : std::string("?"));
        if (IsOperated(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty())
            nameless.push_back(here);
        const QAccessible::Role role = node->role();
        if (role == QAccessible::List || role == QAccessible::Table || role == QAccessible::Tree)
            return;
        for (int i = 0; i < node->childCount(); ++i) self(self, node->child(i), here);
    };
    walk(walk, QAccessible::queryAccessibleInterface(root), "");
    return nameless;
}

inline std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

}  // namespace fw::test
