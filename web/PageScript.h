#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class QWebEnginePage;

namespace fw {

// Calls a script function of the page shown in a browser control by name, with text arguments
// in order. The call runs asynchronously; its outcome reaches the optional callback, and a
// failure is also kept as the last error ("JSCall Error:\n" and the reason).
class PageScript {
public:
    using ResultFn = std::function<void(bool ok, const QVariant& result)>;

    PageScript();

    // The page to call into, as it is now; false (nothing changed) when there is none.
    bool SetDocument(QWebEnginePage* page);

    bool CallScript(const QString& name);
    bool CallScript(const QString& name, const QString& argument);
    // False at once when no document is held ("Cannot GetScript"); a function the page does not
    // have ("Unknown name.") or one that throws ("Exception occurred.") fails in the callback.
    bool CallScript(const QString& name, const QStringList& arguments, ResultFn result = {});

    QString LastError() const { return *lastError_; }

    static constexpr const char* kErrorPrefix = "JSCall Error:\n";

private:
    QPointer<QWebEnginePage> page_;
    // Shared with calls in flight, which may end after this object is gone.
    std::shared_ptr<QString> lastError_;
};

}  // namespace fw
