#include "web/PageScript.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QVariantMap>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace fw {
namespace {

QString Error(const char* reason) {
    return QString::fromUtf8(PageScript::kErrorPrefix) + QString::fromUtf8(reason);
}

}  // namespace

PageScript::PageScript() : lastError_(std::make_shared<QString>()) {}

bool PageScript::SetDocument(QWebEnginePage* page) {
    if (page == nullptr) return false;
    page_ = page;
    return true;
}

bool PageScript::CallScript(const QString& name) { return CallScript(name, QStringList()); }

bool PageScript::CallScript(const QString& name, const QString& argument) {
    return CallScript(name, QStringList{argument});
}

bool PageScript::CallScript(const QString& name, const QStringList& arguments, ResultFn result) {
    if (!page_ || page_->url().isEmpty()) {
        *lastError_ = Error("Cannot GetScript");
        return false;
    }
    // Name and arguments travel as JSON, so no text can break out of the call.
    QJsonArray call{name, QJsonArray::fromStringList(arguments)};
    const QString script =
        QStringLiteral(
            "(function (name, args) {\n"
            "  var f = window[name];\n"
            "  if (typeof f !== \"function\") return { status: \"lookup\" };\n"
            "  try { var value = f.apply(window, args); }\n"
            "  catch (e) { return { status: \"exception\", text: String(e) }; }\n"
            "  return { status: \"ok\", value: value === undefined ? null : value };\n"
            "}).apply(null, %1);")
            .arg(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
    std::shared_ptr<QString> lastError = lastError_;
    page_->runJavaScript(script, QWebEngineScript::MainWorld,
                         [lastError, result = std::move(result)](const QVariant& answer) {
                             const QVariantMap map = answer.toMap();
                             const QString status = map.value(QStringLiteral("status")).toString();
                             if (status == QLatin1String("ok")) {
                                 if (result) result(true, map.value(QStringLiteral("value")));
                                 return;
                             }
                             // The page went away before it answered: no document any more.
                             *lastError = Error(status == QLatin1String("lookup")      ? "Unknown name."
                                                : status == QLatin1String("exception") ? "Exception occurred."
                                                                                       : "Cannot GetScript");
                             if (result) result(false, QVariant());
                         });
    return true;
}

}  // namespace fw
