#include "sim/SimulatorMain.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QTime>

#include <malloc.h>

#include <cstdio>
#include <optional>

#include "net/Version.h"
#include "sim/DispatchServer.h"
#include "sim/Recorder.h"
#include "sim/ScenarioGenerator.h"
#include "sim/SimState.h"
#include "sim/TrackFault.h"
#include "sim/WebSite.h"

namespace fw::sim {
namespace {

void Log(const QString& text) {
    const QByteArray line =
        (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + text + '\n').toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

int Fail(const QString& text, int status) {
    const QByteArray line = (QStringLiteral("fenwarde-sim: ") + text + '\n').toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    return status;
}

std::optional<quint16> PortValue(const QString& text) {
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535) return std::nullopt;
    return static_cast<quint16>(value);
}

}  // namespace

int RunSimulator(int argc, char** argv) {
    // Track replies are megabytes, made and dropped one after another: keep that memory in the
    // heap instead of mapping it afresh (and faulting in every page) for each one.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fenwarde-sim"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kClientVersion));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stand-in for the dispatch server (JSON over TCP, GBK) and its web site."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption bindOpt("bind", "Address to listen on (default 127.0.0.1).", "address", "127.0.0.1");
    const QCommandLineOption portOpt("port", "Port of the dispatch protocol (default 1502).", "port", "1502");
    const QCommandLineOption webOpt("web-port", "Port of the web site (default 8089).", "port", "8089");
    const QCommandLineOption scenarioOpt("scenario", "Scenario file (JSON) instead of the built-in one.", "file");
    const QCommandLineOption dateOpt("date", "Scenario date, yyyy-MM-dd (default today).", "date");
    const QCommandLineOption recordOpt("record", "Append every received document to this file, one JSON line each.",
                                       "file");
    const QCommandLineOption seedOpt("seed", "Seed of the built-in scenario (default 1).", "n", "1");
    const QCommandLineOption dumpOpt("dump-scenario", "Write the scenario as JSON to this file ('-' for standard "
                                                      "output) and exit.",
                                     "file");
    const QCommandLineOption faultOpt("track-fault",
                                      "How the track interface answers: none, slow:MS, cut or status:CODE "
                                      "(default none).",
                                      "mode", "none");
    const QCommandLineOption clockOpt("clock", "Run the monitoring page's clock from this time of day, HH:mm "
                                               "(default: the real time).",
                                      "time");
    const QCommandLineOption intervalOpt("fix-interval",
                                         "Seconds between two GPS fixes of a track, 1 to 60 (default 5, or "
                                         "the scenario file's).",
                                         "seconds");
    const QCommandLineOption noiseOpt("gps-noise",
                                      "Metres of GPS noise on each axis, 0 to 10 (default 3, or the "
                                      "scenario file's).",
                                      "metres");
    const QCommandLineOption vehiclesOpt("vehicles",
                                         "Vehicles of the built-in scenario, 1 to 10000 (default 12); lines, "
                                         "stations and schedules are added to keep them all busy.",
                                         "n");
    parser.addOptions({bindOpt, portOpt, webOpt, scenarioOpt, dateOpt, recordOpt, seedOpt, dumpOpt, faultOpt,
                       clockOpt, intervalOpt, noiseOpt, vehiclesOpt});
    if (!parser.parse(QCoreApplication::arguments())) return Fail(parser.errorText(), 2);
    if (parser.isSet("help")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet("version")) {
        std::printf("fenwarde-sim (Fen_warde %s)\n", kClientVersion);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return Fail(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()), 2);

    QHostAddress address;
    if (!address.setAddress(parser.value(bindOpt)))
        return Fail(QStringLiteral("--bind: %1 is not an IP address").arg(parser.value(bindOpt)), 2);
    const auto port = PortValue(parser.value(portOpt));
    const auto webPort = PortValue(parser.value(webOpt));
    if (!port) return Fail(QStringLiteral("--port: %1 is not a port number").arg(parser.value(portOpt)), 2);
    if (!webPort) return Fail(QStringLiteral("--web-port: %1 is not a port number").arg(parser.value(webOpt)), 2);
    bool seedOk = false;
    const qulonglong seed = parser.value(seedOpt).toULongLong(&seedOk);
    if (!seedOk) return Fail(QStringLiteral("--seed: %1 is not a number").arg(parser.value(seedOpt)), 2);
    std::string date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    if (parser.isSet(dateOpt)) {
        const QDate d = QDate::fromString(parser.value(dateOpt), Qt::ISODate);
        if (!d.isValid() || parser.value(dateOpt).size() != 10)
            return Fail(QStringLiteral("--date: %1 is not a date as yyyy-MM-dd").arg(parser.value(dateOpt)), 2);
        date = d.toString(Qt::ISODate).toStdString();
    }

    int vehicles = kBuiltInVehicles;
    if (parser.isSet(vehiclesOpt)) {
        bool ok = false;
        vehicles = parser.value(vehiclesOpt).toInt(&ok);
        if (!ok || vehicles < 1 || vehicles > kMaxVehicles)
            return Fail(QStringLiteral("--vehicles: %1 is not 1 to %2").arg(parser.value(vehiclesOpt)).arg(kMaxVehicles), 2);
        if (parser.isSet(scenarioOpt))
            return Fail(QStringLiteral("--vehicles applies to the built-in scenario, not to --scenario"), 2);
    }

    std::optional<int> interval;
    if (parser.isSet(intervalOpt)) {
        bool ok = false;
        const int value = parser.value(intervalOpt).toInt(&ok);
        if (!ok || value < 1 || value > 60)
            return Fail(QStringLiteral("--fix-interval: %1 is not 1 to 60 seconds").arg(parser.value(intervalOpt)), 2);
        interval = value;
    }
    std::optional<double> noise;
    if (parser.isSet(noiseOpt)) {
        bool ok = false;
        const double value = parser.value(noiseOpt).toDouble(&ok);
        if (!ok || !(value >= 0 && value <= 10))
            return Fail(QStringLiteral("--gps-noise: %1 is not 0 to 10 metres").arg(parser.value(noiseOpt)), 2);
        noise = value;
    }

    std::string faultError;
    const auto fault = TrackFault::Parse(parser.value(faultOpt).toStdString(), &faultError);
    if (!fault) return Fail(QStringLiteral("--track-fault: %1").arg(QString::fromStdString(faultError)), 2);

    std::optional<int> clock;
    if (parser.isSet(clockOpt)) {
        const QTime t = QTime::fromString(parser.value(clockOpt), QStringLiteral("HH:mm"));
        if (!t.isValid()) return Fail(QStringLiteral("--clock: %1 is not a time as HH:mm").arg(parser.value(clockOpt)), 2);
        clock = t.msecsSinceStartOfDay() / 1000;
    }

    Scenario scenario;
    if (parser.isSet(scenarioOpt)) {
        std::string error;
        auto loaded = LoadScenarioFile(parser.value(scenarioOpt).toStdString(), &error);
        if (!loaded) return Fail(QString::fromStdString(error), 1);
        scenario = std::move(*loaded);
        if (parser.isSet(dateOpt)) MoveScenarioToDate(scenario, date);
    } else {
        scenario = GenerateScenario(seed, date, vehicles);
    }
    if (interval) scenario.track.intervalSeconds = *interval;
    if (noise) scenario.track.noiseMetres = *noise;

    if (parser.isSet(dumpOpt)) {
        const std::string text = DumpScenario(scenario);
        if (parser.value(dumpOpt) == "-") {
            std::fwrite(text.data(), 1, text.size(), stdout);
            return 0;
        }
        QFile out(parser.value(dumpOpt));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
            return Fail(QStringLiteral("cannot write %1: %2").arg(parser.value(dumpOpt), out.errorString()), 1);
        return 0;
    }

    SimState state(std::move(scenario));
    Recorder recorder;
    if (parser.isSet(recordOpt)) {
        QString error;
        if (!recorder.Open(parser.value(recordOpt), &error)) return Fail(error, 1);
    }
    DispatchServer dispatch(state, Log);
    if (recorder.IsOpen()) dispatch.SetRecorder(&recorder);
    WebSite web(state, Log);
    web.SetTrackFault(*fault);
    if (clock) web.StartClockAt(*clock);
    QString error;
    if (!dispatch.Listen(address, *port, &error)) return Fail(error, 1);
    if (!web.Listen(address, *webPort, &error)) return Fail(error, 1);

    const Scenario& sc = state.scenario();
    Log(QStringLiteral("dispatch protocol on %1:%2, web site on http://%1:%3/")
            .arg(address.toString())
            .arg(dispatch.Port())
            .arg(web.Port()));
    Log(QStringLiteral("scenario date %1, %2 vehicles, %3 routes, %4 schedules, %5 trips")
            .arg(QString::fromStdString(sc.date))
            .arg(sc.vehicles.size())
            .arg(sc.lines.size())
            .arg(sc.schedules.size())
            .arg(sc.trips.size()));
    QStringList users;
    for (const auto& u : sc.users) users << QString::fromStdString(u.name + "/" + u.password);
    Log(QStringLiteral("users: %1").arg(users.join(QStringLiteral(", "))));
    Log(QStringLiteral("tracks: a fix every %1 s, %2 m of noise")
            .arg(sc.track.intervalSeconds)
            .arg(sc.track.noiseMetres));
    if (fault->kind != TrackFault::Kind::None)
        Log(QStringLiteral("track interface answers: %1").arg(QString::fromStdString(fault->Text())));
    return app.exec();
}

}  // namespace fw::sim
