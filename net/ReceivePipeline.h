#pragma once

#include <string_view>

#include "text/LogSink.h"
#include "net/Framer.h"
#include "net/Message.h"

namespace fw {

class TextCodec;

// What the receive side hands its documents and log lines to (the main window in the client).
class ReceiveHandler : public LogSink {
public:
    // False stops handling this read: the login ended and the rest of the data goes with it.
    virtual bool Dispatch(Message& message) = 0;
    // The log lines of a read cost a conversion of every byte; skip it when nobody writes them.
    virtual bool WantsLog() const { return true; }
};

// Bytes of each read → log → framing → wire charset to UTF-8 → parse → dispatch, in order.
// A document that does not parse (for any reason, nesting too deep included), or whose handling
// throws, is dropped alone; so is a partial document that the next one cut short, with a log
// line.
class ReceivePipeline {
public:
    explicit ReceivePipeline(const TextCodec& codec);

    void OnRead(std::string_view bytes, ReceiveHandler& handler);
    void Reset() { framer_.Clear(); }
    std::size_t Buffered() const { return framer_.Buffered(); }

private:
    const TextCodec& codec_;
    Framer framer_;
};

}  // namespace fw
