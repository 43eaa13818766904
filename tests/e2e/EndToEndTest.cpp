#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "net/Version.h"
#include "tests/support/SimProcess.h"

namespace {

QString ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        StartSimulator("0", "0");
    }

    void TearDown() override {
        for (QProcess* p : {&client, &sim}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->kill();
            p->waitForFinished(5000);
        }
    }

    // Ports "0" let the simulator pick; its first log line names them.
    void StartSimulator(const QString& tcp, const QString& web) {
        const fw::test::SimPorts started = fw::test::StartSimProcess(sim, QStringLiteral(FENWARDE_SIM_EXE),
                  {"--port", tcp, "--web-port", web, "--seed", "3", "--record", Path("sent.jsonl")});
        ASSERT_FALSE(started.port.isEmpty()) << started.log.toStdString();
        port = started.port;
        webPort = started.webPort;
    }

    QString Path(const QString& name) const { return home.filePath(name); }

    // `write` as the file has it; the program writes it back as "1".
    void WriteConf(const QString& user, const QString& password, const QString& write = "1") {
        QFile conf(Path("conf.ini"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly | QIODevice::Truncate));
        conf.write(QStringLiteral("[login]\nServer=127.0.0.1\nUser=%1\nPass=%2\nRemember=1\n"
                                  "DataName=bus\nDataBasePsw=\nWrite=%3\nPort=%4\nWebPort=%5\n; kept as it is\n")
                       .arg(user, password, write, port, webPort)
                       .toUtf8());
    }

    void StartClient(QStringList args = {"--autologin"}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        client.setProcessEnvironment(env);
        client.start(QStringLiteral(FENWARDE_EXE), QStringList{"--home", home.path()} + args);
        ASSERT_TRUE(client.waitForStarted(5000));
    }

    // SIGTERM, as a desktop session that ends sends it: the client ends at once, cleanly.
    void TerminateClient() {
        client.terminate();
        ASSERT_TRUE(client.waitForFinished(5000)) << "still running after SIGTERM";
        EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(client.exitCode(), 0);
    }

    // Waits until the simulator's record, or one of the client's hourly logs, matches.
    bool Appears(const QString& pattern, bool inLogs, int timeoutMs = 15000) {
        const QRegularExpression re(pattern, QRegularExpression::DotMatchesEverythingOption);
        for (int waited = 0; waited < timeoutMs; waited += 100) {
            const QStringList files = inLogs ? QDir(home.path()).entryList({"????_??_??_??.txt"}) : QStringList{"sent.jsonl"};
            for (const QString& f : files)
                if (re.match(ReadAll(Path(f))).hasMatch()) return true;
            QTest::qWait(100);
        }
        return false;
    }
    bool Recorded(const QString& pattern) { return Appears(pattern, false); }
    bool Logged(const QString& text) { return Appears(QRegularExpression::escape(text), true); }

    QTemporaryDir home;
    QProcess sim;
    QProcess client;
    QString port, webPort;
};

TEST_F(EndToEnd, ClientSignsInAsksForEveryRouteAndClosesCleanlyOnSigterm) {
    WriteConf(QStringLiteral("调度员"), QStringLiteral("123456"));
    StartClient();
    ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"1000\".*\"name\":\"调度员\"|\"name\":\"调度员\".*\"cmd\":\"1000\"")))
        << ReadAll(Path("sent.jsonl")).toStdString();
    // Announced; a group answered; every route pushed after the login asked for its stations.
    for (const char* code : {"1008", "1010", "9002"}) ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"%1\"").arg(code))) << code;

    TerminateClient();
    const QString conf = ReadAll(Path("conf.ini"));
    EXPECT_TRUE(QRegularExpression("User=调度员.*DataName=bus.*; kept as it is", QRegularExpression::DotMatchesEverythingOption)
                    .match(conf).hasMatch()) << conf.toStdString();
    EXPECT_TRUE(QFile::exists(Path("bus.mdb")));
    EXPECT_TRUE(Logged(QStringLiteral("接收：")));
}

// A signal ends the client from every state, conf.ini written: the first login window, a box
// raised inside a read (a refused password), a lost connection being made again.
TEST_F(EndToEnd, SignalsEndTheClientFromEveryState) {
    const struct {
        const char* state;
        const char* password;
        QStringList args;
        bool drop;            // the simulator is stopped once the client is signed in
        const char* awaited;  // in the client's log
    } cases[] = {
        {"first login window", "123456", {}, false, nullptr},
        {"refused password in a box", "wrong", {"--autologin"}, false, "\"result\" : \"failed\""},
        {"reconnecting", "123456", {"--autologin"}, true, "与服务器断开连接"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        if (sim.state() == QProcess::NotRunning) StartSimulator("0", "0");
        // A line the program writes back in its own form shows that conf.ini was written.
        WriteConf(QStringLiteral("调度员"), QString::fromUtf8(c.password), "01");

        StartClient(c.args);
        if (c.drop) {
            ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"1008\"")));
            sim.kill();
            sim.waitForFinished(5000);
        }
        ASSERT_TRUE(c.awaited == nullptr || Logged(QString::fromUtf8(c.awaited))) << ReadAll(Path("sent.jsonl")).toStdString();
        QTest::qWait(c.awaited != nullptr ? 300 : 1500);
        TerminateClient();
        EXPECT_TRUE(ReadAll(Path("conf.ini")).contains(QStringLiteral("\nWrite=1\n")));
    }
}

// The simulator dies mid-session and comes back on the same ports: the client signs in again by
// itself and asks for its data anew.
TEST_F(EndToEnd, ServerKilledMidSessionIsSignedInAgainWhenItComesBack) {
    WriteConf(QStringLiteral("admin"), QStringLiteral("admin"));
    StartClient();
    ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"1008\"")));
    sim.kill();
    sim.waitForFinished(5000);
    QFile::remove(Path("sent.jsonl"));
    const QString tcp = port, web = webPort;
    StartSimulator(tcp, web);
    ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"1000\".*\"cmd\":\"9000\".*\"cmd\":\"1008\"")))
        << ReadAll(Path("sent.jsonl")).toStdString();
    EXPECT_EQ(client.state(), QProcess::Running);
    TerminateClient();
}

TEST_F(EndToEnd, CommandLineIsAnsweredWithoutAWindowSystem) {
    // No display and no platform chosen: nothing may try to open a window.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    client.setProcessEnvironment(env);
    const struct {
        QStringList args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"--version"}, 0, fw::kClientVersion, ""},
        {{"--help"}, 0, "--page PAGE", ""},
        {{"--bogus"}, 2, "", "--bogus"},
        {{"--page", "timetable"}, 2, "", "unknown page: timetable"},
    };
    for (const auto& c : cases) {
        client.start(QStringLiteral(FENWARDE_EXE), c.args);
        ASSERT_TRUE(client.waitForFinished(10000));
        EXPECT_EQ(client.exitStatus(), QProcess::NormalExit) << c.args.join(' ').toStdString();
        EXPECT_EQ(client.exitCode(), c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(client.readAllStandardOutput().contains(c.out));
        EXPECT_TRUE(client.readAllStandardError().contains(c.err));
    }
}

}  // namespace
