#include "net/ReceivePipeline.h"

#include <exception>
#include <string>

#include "text/Encoding.h"

namespace fw {

namespace {

std::string DropText(const Framer::Drop& drop) {
    const std::string bytes = std::to_string(drop.bytes);
    if (drop.reason == Framer::Drop::Reason::TooLarge)
        return "接收的报文超过" + bytes + "字节仍不完整，已丢弃";
    return "接收的报文不完整（" + bytes + "字节），下一报文已开始，已丢弃";
}

}  // namespace

ReceivePipeline::ReceivePipeline(const TextCodec& codec)
    : codec_(codec), framer_(codec.Family()) {}

void ReceivePipeline::OnRead(std::string_view bytes, ReceiveHandler& handler) {
    const bool log = handler.WantsLog();
    if (log) handler.WriteLog("接收：" + codec_.ToUtf8(bytes));
    framer_.Append(bytes);
    for (;;) {
        auto document = framer_.Next();
        for (const Framer::Drop& drop : framer_.TakeDrops()) handler.WriteLog(DropText(drop));
        if (!document) break;
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
}

}  // namespace fw
