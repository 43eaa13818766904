#pragma once

#include <cstddef>
#include <deque>
#include <functional>

#include "net/Message.h"

namespace fw {

// Documents that arrive while a report run fetches its track wait here and are handed on, in
// the order they came, once the run has ended. So their effects follow the run's, as they did
// when the run blocked everything, while the window stays responsive meanwhile.
class DocumentHold {
public:
    // Handles one document; false when handling it ended the login.
    using Handler = std::function<bool(Message&)>;

    explicit DocumentHold(Handler handler) : handler_(std::move(handler)) {}

    // Hands the document on at once, or keeps it while a hold lasts or earlier documents are
    // still being handed on. False when handling it ended the login.
    bool Receive(Message& message);

    // From now on every document waits.
    void Begin() { holding_ = true; }
    // Ends the hold and hands on what waited, in order, until one of them begins a new hold
    // (the rest then wait for that one). False when one ended the login: the rest are dropped.
    bool Release();
    // The login ended: nothing waits and nothing is held any more.
    void Clear();

    bool Holding() const { return holding_; }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    Handler handler_;
    std::deque<Message> waiting_;
    bool holding_ = false;
    bool releasing_ = false;  // a release is handing documents on (perhaps under a modal box)
};

}  // namespace fw
