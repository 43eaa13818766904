#pragma once

#include <QAccessible>
#include <QWidget>

#include <algorithm>
#include <string>
#include <vector>

namespace fw::test {

inline std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

// What the desktop's accessibility bus (AT-SPI) is shown of a window: Qt's accessible interfaces,
// walked from the window down. Every node a user operates that has no name, each as the object
// names from the window down to it; the rows and cells of lists are named by their own texts and
// not walked.
inline std::vector<std::string> NamelessNodes(QWidget* root) {
    using A = QAccessible;
    const auto operated = {A::PushButton, A::CheckBox, A::RadioButton, A::ComboBox, A::EditableText,
                           A::SpinBox,    A::Slider,   A::List,        A::Table,    A::Tree};
    std::vector<std::string> nameless;
    auto walk = [&](auto&& self, QAccessibleInterface* node, const std::string& path) -> void {
        if (node == nullptr || !node->isValid()) return;
        const QObject* object = node->object();
        const QString name = !object ? QStringLiteral("?") : object->objectName();
        const std::string here = path + "/" + (name.isEmpty() ? object->metaObject()->className() : name.toStdString());
        const A::Role role = node->role();
        if (std::find(operated.begin(), operated.end(), role) != operated.end() && node->text(A::Name).trimmed().isEmpty())
            nameless.push_back(here);
        if (role == A::List || role == A::Table || role == A::Tree) return;
        for (int i = 0; i < node->childCount(); ++i) self(self, node->child(i), here);
    };
    walk(walk, A::queryAccessibleInterface(root), "");
    return nameless;
}

}  // namespace fw::test
