#include "base/MessageBox.h"

#include <QEventLoop>
#include <QTimer>

#include <vector>

#include "skin/SkinMessageBox.h"

namespace fw {
namespace {

struct Hook {
    MessageObserver observer;
    bool runLoop = false;
    bool answer = true;
    std::vector<QEventLoop*> loops;  // nested loops of observed boxes, innermost last
};

Hook& TheHook() {
    static Hook hook;
    return hook;
}

bool& Closed() {
    static bool closed = false;
    return closed;
}

bool Run(QWidget* parent, const QString& text, SkinMessageBox::Kind kind, const QuestionButtons* buttons = nullptr) {
    if (Closed()) return false;
    Hook& hook = TheHook();
    if (hook.observer) {
        hook.observer(text);
        bool answer = hook.answer;
        hook.answer = true;
        if (hook.runLoop) {
            QEventLoop loop;
            hook.loops.push_back(&loop);
            if (buttons != nullptr && buttons->answerNoAfterMs > 0)
                QTimer::singleShot(buttons->answerNoAfterMs, &loop, [&loop] { loop.exit(1); });
            answer = loop.exec() == 0 && answer;
            std::erase(hook.loops, &loop);
        }
        return answer;
    }
    SkinMessageBox box(parent, text, kind);
    if (buttons != nullptr) {
        box.SetButtons(buttons->yes, buttons->no, buttons->noIsDefault);
        if (buttons->answerNoAfterMs > 0) QTimer::singleShot(buttons->answerNoAfterMs, &box, &QDialog::reject);
    }
    return box.exec() == QDialog::Accepted;
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& text) {
    Run(parent, text, SkinMessageBox::Kind::Information);
}

bool AskQuestion(QWidget* parent, const QString& text) {
    return Run(parent, text, SkinMessageBox::Kind::Question);
}

bool AskQuestion(QWidget* parent, const QString& text, const QuestionButtons& buttons) {
    return Run(parent, text, SkinMessageBox::Kind::Question, &buttons);
}

void CloseAllMessages() {
    Closed() = true;
    SkinMessageBox::RejectAll();
    for (QEventLoop* loop : TheHook().loops) loop->exit(1);
}

bool MessagesClosed() { return Closed(); }

MessageObserver SetMessageObserver(MessageObserver observer, bool runLoop) {
    Hook& hook = TheHook();
    MessageObserver previous = std::move(hook.observer);
    hook.observer = std::move(observer);
    hook.runLoop = runLoop;
    hook.answer = true;
    Closed() = false;
    return previous;
}

void SetNextAnswer(bool answer) { TheHook().answer = answer; }

void EndObservedMessage() {
    if (!TheHook().loops.empty()) TheHook().loops.back()->exit(0);
}

}  // namespace fw
