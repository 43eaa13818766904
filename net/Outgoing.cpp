#include "net/Outgoing.h"

#include "net/JsonWriter.h"
#include "net/Message.h"
#include "text/Encoding.h"

namespace fw {

Outgoing PrepareOutgoing(const Json::Value& root, const TextCodec& codec) {
    Outgoing out;
    out.text = WriteStyled(root);
    out.wire = codec.FromUtf8(out.text);
    const Json::Value& body = root["body"];
    if (Text(root["header"], "cmd") == "1000" && body.isObject() && body.isMember("pass")) {
        Json::Value masked = root;
        masked["body"]["pass"] = kMaskedPassword;
        out.logged = WriteStyled(masked);
    } else {
        out.logged = out.text;
    }
    return out;
}

}  // namespace fw
