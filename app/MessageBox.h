#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace fw {

// Every message box of the program goes through here: a modal box with the fixed text and an
// OK button. Tests install an observer instead, which sees the text and shows nothing.
void ShowMessage(QWidget* parent, const QString& text);

using MessageObserver = std::function<void(const QString&)>;
// Returns the observer it replaces; an empty observer restores real boxes.
MessageObserver SetMessageObserver(MessageObserver observer);

}  // namespace fw
