#include "web/LoadErrorPage.h"

#include "web/PageAddresses.h"

namespace fw {

std::string LoadFailureReason(bool httpStatus, int code) {
    if (httpStatus) return "服务器返回错误 " + std::to_string(code);
    switch (code) {
        case -102: return "服务器拒绝连接（端口上没有网页服务）";
        case -105:
        case -137: return "找不到服务器（服务器地址无法解析）";
        case -7:
        case -118: return "连接服务器超时";
        case -100:
        case -101:
        case -324: return "服务器中断了连接";
        case -106: return "网络未连接";
        case -109: return "无法访问服务器地址";
        default: return "页面无法加载（错误代码 " + std::to_string(code) + "）";
    }
}

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string LoadErrorPageHtml(std::string_view address, std::string_view reason) {
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<title>无法打开页面</title><style>"
           "body{font-family:\"WenQuanYi Micro Hei\",sans-serif;font-size:14px;color:#333;"
           "background:#f4f6f9;margin:0;padding:48px}"
           ".box{max-width:960px;background:#fff;border:1px solid #c9d1db;padding:24px 32px}"
           "h1{font-size:20px;color:#b3261e;margin:0 0 16px}"
           "p{margin:8px 0;line-height:1.6}.addr{word-break:break-all;color:#1d3f63}"
           ".hint{margin-top:18px;padding:10px 12px;background:#fff8e1;border-left:4px solid #f0b400}"
           "</style></head><body><div class=\"box\"><h1>无法打开页面</h1>"
           "<p>地址：<span class=\"addr\" id=\"address\">" +
           HtmlEscape(MaskedAddress(address)) + "</span></p><p>原因：<span id=\"reason\">" +
           HtmlEscape(reason) +
           "</span></p><p class=\"hint\">请检查服务器地址和“设置”中的网页端口（WebPort）是否正确，"
           "然后在页面上单击右键，选择“刷新”重试。</p></div></body></html>\n";
}

}  // namespace fw
