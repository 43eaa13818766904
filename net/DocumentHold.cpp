#include "net/DocumentHold.h"

#include <utility>

namespace fw {

bool DocumentHold::Receive(Message& message) {
    if (holding_ || releasing_) {
        waiting_.push_back(std::move(message));
        return true;
    }
    return handler_(message);
}

bool DocumentHold::Release() {
    holding_ = false;
    // A release reached again from inside a handed-on document (a modal box runs the event
    // loop) leaves the handing-on to the outer one, which keeps the order.
    if (releasing_) return true;
    releasing_ = true;
    bool loggedIn = true;
    while (!holding_ && !waiting_.empty()) {
        Message next = std::move(waiting_.front());
        waiting_.pop_front();
        if (!handler_(next)) {
            waiting_.clear();
            loggedIn = false;
            break;
        }
    }
    releasing_ = false;
    return loggedIn;
}

void DocumentHold::Clear() {
    waiting_.clear();
    holding_ = false;
}

}  // namespace fw
