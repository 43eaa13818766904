#pragma once

#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <QWebEnginePage>

namespace fw::test {

// Why the web engine cannot show pages on this machine, or empty when it can. Asked once per
// test program: tests that need real pages skip with this reason instead of passing silently.
inline QString WebEngineProblem() {
    static const QString problem = [] {
        QWebEnginePage page;
        QEventLoop loop;
        QString why = QStringLiteral("the web engine loaded no page within 60 s");
        QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
            why = ok ? QString() : QStringLiteral("the web engine failed to load a page");
            loop.quit();
        });
        QObject::connect(&page, &QWebEnginePage::renderProcessTerminated, &loop, [&] {
            why = QStringLiteral("the web engine's page process ended (is QTWEBENGINE_DISABLE_SANDBOX=1 set when running as root?)");
            loop.quit();
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        page.setHtml(QStringLiteral("<p>probe</p>"));
        loop.exec();
        return why;
    }();
    return problem;
}

}  // namespace fw::test

#define FW_REQUIRE_WEB_ENGINE()                                                  \
    do {                                                                         \
        const QString fwWebEngineProblem = ::fw::test::WebEngineProblem();       \
        if (!fwWebEngineProblem.isEmpty())                                       \
            GTEST_SKIP() << "web engine unavailable: " << fwWebEngineProblem.toStdString(); \
    } while (false)
