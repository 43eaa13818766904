#pragma once

#include <string>
#include <string_view>

namespace fw {

// What the report page tells when the server or the store cannot do its part.

// "生成报表" without the local store (a wrong DataBasePsw, a folder that cannot be written).
inline constexpr std::string_view kStoreUnavailableText = "本地数据库不可用，无法生成报表";
inline std::string StoreUnavailableText(std::string_view reason) {
    std::string text(kStoreUnavailableText);
    if (!reason.empty()) text += "\n原因：" + std::string(reason);
    return text;
}

// The connection went while the page waited for the server's rows (9017 … 9019, 9021 … 9019).
inline constexpr std::string_view kReportCutText = "报表未完成：与服务器的连接中断";

}  // namespace fw
