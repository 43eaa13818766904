#include "net/ReceivePipeline.h"

#include <exception>
#include <string>

#include "text/Encoding.h"

namespace fw {

ReceivePipeline::ReceivePipeline(const TextCodec& codec)
    : codec_(codec), framer_(codec.IsDoubleByte()) {}

void ReceivePipeline::OnRead(std::string_view bytes, ReceiveHandler& handler) {
    const bool log = handler.WantsLog();
    if (log) handler.WriteLog("接收：" + codec_.ToUtf8(bytes));
    framer_.Append(bytes);
    while (auto document = framer_.Next()) {
        std::string text = codec_.ToUtf8(*document);
        if (log) handler.WriteLog(text);
        auto root = ParseDocument(text);
        if (!root) continue;
        bool goOn = true;
        try {
            Message message = ReadMessage(std::move(*root));
            goOn = handler.Dispatch(message);
        } catch (const std::exception&) {
            // A fault in one document's handling loses that document only.
        }
        if (!goOn) {
            framer_.Clear();
            return;
        }
    }
    if (const std::size_t dropped = framer_.TakeDroppedBytes())
        handler.WriteLog("接收的报文超过" + std::to_string(dropped) + "字节仍不完整，已丢弃");
}

}  // namespace fw
