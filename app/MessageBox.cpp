#include "app/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace fw {
namespace {

MessageObserver& Observer() {
    static MessageObserver observer;
    return observer;
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& text) {
    if (Observer()) {
        Observer()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

MessageObserver SetMessageObserver(MessageObserver observer) {
    MessageObserver previous = std::move(Observer());
    Observer() = std::move(observer);
    return previous;
}

}  // namespace fw
