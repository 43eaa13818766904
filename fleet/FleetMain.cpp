#include "fleet/FleetMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/Config.h"
#include "base/Home.h"
#include "base/ShutdownSignals.h"
#include "fleet/FleetRun.h"
#include "net/Requests.h"
#include "reports/ReplacingFile.h"
#include "text/Encoding.h"

namespace fw {
namespace {

int Refuse(const std::string& text) {
    std::fprintf(stderr, "fenwarde-report: %s\n", text.c_str());
    return kFleetUsage;
}

// The output can be created in its folder; the reason when not (no such folder, no permission).
std::string OutputProblem(const std::string& path) {
    ReplacingFile probe(path);
    std::string error;
    if (!probe.Open(&error)) return error;
    probe.Discard();
    return {};
}

}  // namespace

int RunFleetReport(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::string program = argc > 0 ? argv[0] : "fenwarde-report";
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const FleetOptions options = ParseFleetOptions(args, cores);
    if (!options.error.empty()) {
        std::fprintf(stderr, "fenwarde-report: %s\n(%s --help shows the options)\n", options.error.c_str(),
                     program.c_str());
        return kFleetUsage;
    }
    if (options.help) {
        std::fputs(FleetUsageText(program).c_str(), stdout);
        return kFleetAllDone;
    }
    if (options.version) {
        std::printf("fenwarde-report (Fen_warde %s)\n", kClientVersion);
        return kFleetAllDone;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Fen_warde"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kClientVersion));

    // The client's home, found by the same rule; only the client makes one.
    const std::string home = ResolveHome(options.home, QCoreApplication::applicationDirPath().toStdString()).path;
    const std::string confPath = (QDir(QString::fromStdString(home)).filePath(kConfigFileName)).toStdString();
    if (!QFile::exists(QString::fromStdString(confPath)))
        return Refuse("no " + confPath + " (sign in once with fenwarde, or give --home)");
    const LoginConfig config = ReadConfig(confPath);
    if (config.server.empty()) return Refuse(confPath + " names no Server");
    if (config.user.empty()) return Refuse(confPath + " names no User");
    // The environment before the file: a scheduled job keeps its secret out of conf.ini.
    std::string password;
    if (const char* env = std::getenv("FENWARDE_PASSWORD"); env != nullptr && *env != '\0')
        password = env;
    else if (config.remember == "1")
        password = config.password;
    else
        return Refuse(confPath + " remembers no password for " + config.user + " and FENWARDE_PASSWORD is not set");
    if (!TextCodec(config.charset).IsValid()) return Refuse("Charset " + config.charset + " of " + confPath + " is not known");
    if (!options.listPlates)
        if (const std::string problem = OutputProblem(options.out); !problem.empty()) return Refuse(problem);

    FleetRun::Streams streams;
    streams.terminal = ::isatty(STDERR_FILENO) == 1;
    FleetRun run(options, config, std::move(password), home, streams);
    ShutdownSignals shutdown;
    QObject::connect(&shutdown, &ShutdownSignals::shutdownRequested, &run, &FleetRun::Interrupt);
    QObject::connect(&run, &FleetRun::finished, &app, [](int status) { QCoreApplication::exit(status); });
    run.Start();
    return app.exec();
}

}  // namespace fw
