#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        sim.setProcessChannelMode(QProcess::SeparateChannels);
        sim.start(QStringLiteral(FENWARDE_SIM_EXE),
                  {"--port", "0", "--web-port", "0", "--seed", "3", "--record", Path("sent.jsonl")});
        ASSERT_TRUE(sim.waitForStarted(5000));
        // The first log line names the ports it picked.
        const QRegularExpression ports(QStringLiteral("on 127\\.0\\.0\\.1:(\\d+), web site on http://127\\.0\\.0\\.1:(\\d+)/"));
        QString log;
        QRegularExpressionMatch m;
        for (int i = 0; i < 100 && !(m = ports.match(log)).hasMatch(); ++i) {
            sim.waitForReadyRead(100);
            log += QString::fromUtf8(sim.readAllStandardError());
        }
        ASSERT_TRUE(m.hasMatch()) << log.toStdString();
        port = m.captured(1);
        webPort = m.captured(2);
    }

    void TearDown() override {
        for (QProcess* p : {&client, &sim}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->kill();
            p->waitForFinished(5000);
        }
    }

    QString Path(const QString& name) const { return home.filePath(name); }

    void WriteConf(const QString& user, const QString& password) {
        QFile conf(Path("conf.ini"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(QStringLiteral("[login]\nServer=127.0.0.1\nUser=%1\nPass=%2\nRemember=1\n"
                                  "DataName=bus\nDataBasePsw=\nWrite=1\nPort=%3\nWebPort=%4\n"
                                  "; kept as it is\n")
                       .arg(user, password, port, webPort)
                       .toUtf8());
    }

    void StartClient() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        client.setProcessEnvironment(env);
        client.start(QStringLiteral(FENWARDE_EXE), {"--home", home.path(), "--autologin"});
        ASSERT_TRUE(client.waitForStarted(5000));
    }

    // Waits until what the simulator recorded matches.
    bool Recorded(const QString& pattern, int timeoutMs = 15000) {
        const QRegularExpression re(pattern);
        for (int waited = 0; waited < timeoutMs; waited += 100) {
            if (re.match(ReadAll(Path("sent.jsonl"))).hasMatch()) return true;
            QTest::qWait(100);
        }
        return false;
    }

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
    ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"1008\"")));
    // Every route pushed after the login is answered with a request for its stations.
    ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"9002\"")));
    ASSERT_TRUE(Recorded(QStringLiteral("\"cmd\":\"1010\"")));

    client.terminate();  // SIGTERM, as a desktop session that ends sends it
    ASSERT_TRUE(client.waitForFinished(10000));
    EXPECT_EQ(client.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(client.exitCode(), 0);

    const QString conf = ReadAll(Path("conf.ini"));
    EXPECT_TRUE(conf.contains("User=调度员")) << conf.toStdString();
    EXPECT_TRUE(conf.contains("DataName=bus"));
    EXPECT_TRUE(conf.contains("; kept as it is"));
    EXPECT_TRUE(QFile::exists(Path("bus.mdb")));
    const QStringList logs = QDir(home.path()).entryList({"????_??_??_??.txt"});
    ASSERT_FALSE(logs.isEmpty());
    EXPECT_TRUE(ReadAll(Path(logs.first())).contains(QStringLiteral("接收：")));
}

TEST_F(EndToEnd, HelpAndVersionAnswerWithoutAWindow) {
    client.start(QStringLiteral(FENWARDE_EXE), {"--version"});
    ASSERT_TRUE(client.waitForFinished(10000));
    EXPECT_EQ(client.exitCode(), 0);
    EXPECT_TRUE(client.readAllStandardOutput().contains("4.6936"));
    client.start(QStringLiteral(FENWARDE_EXE), {"--bogus"});
    ASSERT_TRUE(client.waitForFinished(10000));
    EXPECT_EQ(client.exitCode(), 2);
    EXPECT_TRUE(client.readAllStandardError().contains("--bogus"));
}

}  // namespace
