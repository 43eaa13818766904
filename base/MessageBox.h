#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace fw {

// Every message box of the program goes through here: a modal skinned box with the fixed text
// and "确定" (and "取消" for a question). Once the program is closing no new box opens.
void ShowMessage(QWidget* parent, const QString& text);
// True when the user answered "确定".
bool AskQuestion(QWidget* parent, const QString& text);
// A question whose answers say what they do. With `noIsDefault` Enter gives the "no" answer:
// for questions where the hasty answer should be the safe one. With `answerNoAfterMs` a box
// left unanswered that long closes as "no".
struct QuestionButtons {
    QString yes;
    QString no;
    bool noIsDefault = false;
    int answerNoAfterMs = 0;
};
bool AskQuestion(QWidget* parent, const QString& text, const QuestionButtons& buttons);

// Ends every open box and refuses new ones: the program is closing.
void CloseAllMessages();
bool MessagesClosed();

// Tests install an observer instead of real boxes: it sees each text, and a question gets the
// answer set here (true unless told otherwise). With `runLoop` the observer is followed by a
// real nested event loop, as a box would run, until CloseAllMessages or EndObservedMessage.
using MessageObserver = std::function<void(const QString&)>;
// Returns the observer it replaces; an empty observer restores real boxes.
MessageObserver SetMessageObserver(MessageObserver observer, bool runLoop = false);
void SetNextAnswer(bool answer);
void EndObservedMessage();

}  // namespace fw
