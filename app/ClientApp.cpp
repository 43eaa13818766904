#include "app/ClientApp.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

#include "app/CommandLine.h"
#include "base/Config.h"
#include "base/Home.h"
#include "app/Language.h"
#include "app/MainWindow.h"
#include "base/MessageBox.h"
#include "base/ShutdownSignals.h"
#include "net/Requests.h"
#include "skin/SkinLibrary.h"
#include "text/Charset.h"

// Resources of a static library must be registered by name.
static void InitIconResources() { Q_INIT_RESOURCE(icon); }

namespace fw {

int RunClient(int argc, char** argv) {
    // Everything the command line decides is answered before a window system is needed.
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const CommandLine cl = ParseCommandLine(WithoutQtOptions(args));
    const std::string program = argc > 0 ? argv[0] : "fenwarde";
    if (!cl.error.empty()) {
        std::fprintf(stderr, "%s\n%s", cl.error.c_str(), UsageText(program).c_str());
        return 2;
    }
    if (cl.help) {
        std::fputs(UsageText(program).c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("Fen_warde %s\n", kClientVersion);
        return 0;
    }

    // The browser controls share one GL context; this must precede the application object.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fen_warde"));
    QApplication::setApplicationVersion(QString::fromLatin1(kClientVersion));
    // The menu entry's icon on every window, and its name for the desktop to match windows to.
    InitIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 256}) icon.addFile(QStringLiteral(":/icon/%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("fenwarde"));
    // The program ends when the main window closes, not when a login window hides.
    QApplication::setQuitOnLastWindowClosed(false);
    SpeakChinese(app);

    MainWindow::Options options;
    const Home home = ResolveHome(cl.home, QApplication::applicationDirPath().toStdString());
    options.home = home.path;
    options.autoLogin = cl.autoLogin;
    options.page = cl.page;
    PrepareHome(home);  // when it cannot be made, the main window's warning names it
    // Framing and conversion need the byte rules of the server's charset: refuse one we lack.
    const std::string refusal = CharsetRefusal(ReadConfig(options.home + "/" + kConfigFileName).charset);
    if (!refusal.empty()) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        ShowMessage(nullptr, QString::fromStdString(refusal));
        return 1;
    }

    if (!StartSkin()) return 1;

    MainWindow window(options);
    ShutdownSignals shutdownSignals;
    // A signal ends the program from any state (login window, message box, reconnecting).
    QObject::connect(&shutdownSignals, &ShutdownSignals::shutdownRequested, &window,
                     [&window] { window.Quit(); });
    QObject::connect(&window, &MainWindow::closed, &app, [] { QCoreApplication::exit(0); });
    if (!window.Start()) return 0;
    return app.exec();
}

}  // namespace fw
