#include "web/PageRelay.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

namespace fw {

PageRelay::PageRelay(QObject* parent) : QObject(parent) {}

void PageRelay::operate(const QString& text) {
    if (trusted_ && !trusted_()) {
        emit dropped(text);
        return;
    }
    command_ = text;
    ++commands_;
    emit operation();
}

void PageRelay::attach() {
    if (trusted_ && !trusted_()) return;
    emit attached();
}

namespace {

// The channel's client script, as Qt ships it.
QString ChannelScript() {
    static const QString script = [] {
        QFile f(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }();
    return script;
}

QString JsString(const QString& text) {
    // A one-element JSON array is the easiest way to a correctly quoted JavaScript string.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

}  // namespace

RelayScripts MakeRelayScripts(const QString& trustedBase) {
    const QString channel = ChannelScript();
    if (channel.isEmpty()) return {};
    const QString guard = QStringLiteral(
        "  var trusted;\n"
        "  try { trusted = new URL(%1).origin; } catch (e) { return; }\n"
        "  if (window.top !== window || location.origin !== trusted) return;\n")
                              .arg(JsString(trustedBase));
    RelayScripts s;
    s.pageWorld = QStringLiteral(
        "(function () {\n"
        "  \"use strict\";\n%1"
        "  var relay = Object.freeze({\n"
        "    operate: function (text) {\n"
        "      var command = text === undefined || text === null ? \"\" : String(text);\n"
        "      document.dispatchEvent(new CustomEvent(\"fenwarde-operate\", { detail: command }));\n"
        "    }\n"
        "  });\n"
        "  Object.defineProperty(window, \"FenwardeRelay\", { value: relay, enumerable: true });\n"
        "})();\n")
                      .arg(guard);
    s.bridgeWorld = QStringLiteral(
        "(function () {\n%1"
        "  var transport = window.qt && window.qt.webChannelTransport;\n"
        "  if (!transport) return;\n"
        "%2\n"
        "  var queue = [], relay = null;\n"
        "  function flush() { while (relay && queue.length) relay.operate(queue.shift()); }\n"
        "  document.addEventListener(\"fenwarde-operate\", function (event) {\n"
        "    queue.push(typeof event.detail === \"string\" ? event.detail : \"\");\n"
        "    flush();\n"
        "  });\n"
        "  new QWebChannel(transport, function (ch) {\n"
        "    relay = ch.objects.relay;\n"
        "    relay.attach();\n"
        "    flush();\n"
        "  });\n"
        "})();\n")
                        .arg(guard, channel);
    return s;
}

}  // namespace fw
