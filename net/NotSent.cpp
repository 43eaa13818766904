#include "net/NotSent.h"

namespace fw {
namespace {

constexpr std::string_view kLead = "与服务器的连接已断开，";
constexpr std::string_view kTail = "。重新连接后请再试。";

}  // namespace

std::string NotSentText(std::string_view notDone) {
    std::string text(kLead);
    text += notDone;
    text += kTail;
    return text;
}

std::string PartlySentText(int done, std::string_view doneVerb, int notDone, std::string_view notDoneText) {
    if (done <= 0) return NotSentText(notDoneText);
    std::string text(kLead);
    text += doneVerb;
    text += " " + std::to_string(done) + " 条，其余 " + std::to_string(notDone) + " 条";
    text += notDoneText;
    text += kTail;
    return text;
}

}  // namespace fw
