#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <memory>

#include "reports/TrackFetch.h"
#include "sim/ScenarioGenerator.h"
#include "sim/WebSite.h"
#include "tests/support/BodyServer.h"

namespace fw {
namespace {

// The transfer against the simulator's track interface, in each of its manners.
class TrackFetchTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(site.Listen(QHostAddress::LocalHost, 0, nullptr));
        const sim::Vehicle& v = state.scenario().vehicles.front();
        const std::string date = state.scenario().date;
        url = QUrl::fromEncoded("http://127.0.0.1:" + QByteArray::number(site.Port()) +
                                "/Interface/GetJsonVdata?vhcid=" + QByteArray::fromStdString(v.id) +
                                "&cret=&vehicle=&key=" + sim::kTrackKey +
                                "&begin_time=" + QByteArray::fromStdString(date) +
                                "%2005:00:00&end_time=" + QByteArray::fromStdString(date) +
                                "%2021:00:00&datatype=1&intermin=0&timeorder=0");
    }

    struct Outcome {
        QByteArray body;
        QString failure;
        int progressSignals = 0;
    };
    Outcome Fetch(const QUrl& where, TrackFetch::Timeouts timeouts = {}, qint64 largest = 0) {
        TrackFetch fetch(network);
        fetch.SetTimeouts(timeouts);
        if (largest > 0) fetch.SetLargestBody(largest);
        QSignalSpy done(&fetch, &TrackFetch::finished);
        QSignalSpy progress(&fetch, &TrackFetch::progress);
        fetch.Start(where);
        EXPECT_TRUE(done.wait(30000));
        EXPECT_FALSE(fetch.IsRunning());
        if (done.isEmpty()) return {};
        return {done.at(0).at(0).toByteArray(), done.at(0).at(1).toString(),
                static_cast<int>(progress.size())};
    }
    static QUrl Local(quint16 port) {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/x").arg(port));
    }

    sim::SimState state{sim::GenerateScenario(5, "2014-08-25")};
    sim::WebSite site{state, nullptr};
    QNetworkAccessManager network;
    QUrl url;
};

TEST_F(TrackFetchTest, TheWholeBodyArrivesEvenWhenItTrickles) {
    const Outcome normal = Fetch(url);
    EXPECT_TRUE(normal.failure.isEmpty()) << normal.failure.toStdString();
    ASSERT_TRUE(normal.body.startsWith("{\"msg\":\"\",\"result\":true"))
        << normal.body.left(80).toStdString();

    site.SetTrackFault(*sim::TrackFault::Parse("slow:1500"));
    const Outcome slow = Fetch(url);
    EXPECT_TRUE(slow.failure.isEmpty());
    EXPECT_EQ(slow.body, normal.body);
    EXPECT_GE(slow.progressSignals, 5);
}

// A large track that keeps coming is waited for however long it takes in all; only silence for
// the idle time (TrackTimeout) ends a transfer.
TEST_F(TrackFetchTest, OnlySilenceEndsATransferThatHasStarted) {
    site.SetTrackFault(*sim::TrackFault::Parse("slow:2000"));  // twenty pieces, 100 ms apart
    const Outcome trickle = Fetch(url, {.connectMs = 10000, .idleMs = 600});
    EXPECT_TRUE(trickle.failure.isEmpty()) << trickle.failure.toStdString();
    EXPECT_TRUE(trickle.body.startsWith("{\"msg\":\"\",\"result\":true"));

    BodyServer silent;
    silent.mode = BodyServer::Mode::Silent;
    const Outcome hung = Fetch(Local(silent.Port()), {.connectMs = 10000, .idleMs = 300});
    EXPECT_TRUE(hung.body.isEmpty());
    EXPECT_TRUE(hung.failure.startsWith("no data for 0.3 s")) << hung.failure.toStdString();
}

TEST_F(TrackFetchTest, FailuresGiveNoBodyAtAll) {
    const struct {
        const char* fault;
        const char* because;
    } cases[] = {{"cut", ""}, {"status:503", "HTTP status 503"}, {"status:404", ""}};
    for (const auto& c : cases) {
        site.SetTrackFault(*sim::TrackFault::Parse(c.fault));
        const Outcome o = Fetch(url);
        EXPECT_TRUE(o.body.isEmpty()) << c.fault;
        EXPECT_FALSE(o.failure.isEmpty()) << c.fault;
        if (*c.because) {
            EXPECT_TRUE(o.failure.contains(c.because)) << o.failure.toStdString();
        }
    }
}

TEST_F(TrackFetchTest, SilenceRefusalAndExcessEndInTime) {
    BodyServer silent;
    silent.mode = BodyServer::Mode::Silent;
    const Outcome hung = Fetch(Local(silent.Port()), {.connectMs = 10000, .wholeMs = 300});
    EXPECT_TRUE(hung.body.isEmpty());
    EXPECT_TRUE(hung.failure.startsWith("not complete")) << hung.failure.toStdString();

    quint16 closed;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closed = probe.serverPort();
    }
    const Outcome refused = Fetch(Local(closed));
    EXPECT_TRUE(refused.body.isEmpty());
    EXPECT_FALSE(refused.failure.isEmpty());

    BodyServer big;
    big.body = QByteArray(4096, 'x');
    const Outcome larger = Fetch(Local(big.Port()), {}, 1000);
    EXPECT_TRUE(larger.body.isEmpty());
    EXPECT_TRUE(larger.failure.contains("larger")) << larger.failure.toStdString();

    // Aborted: no finished signal, later or ever.
    TrackFetch fetch(network);
    QSignalSpy done(&fetch, &TrackFetch::finished);
    fetch.Start(Local(silent.Port()));
    fetch.Abort();
    EXPECT_FALSE(done.wait(300));
}

TEST(TrackFault, TextForms) {
    const struct {
        const char* text;
        bool valid;
        sim::TrackFault::Kind kind;
        int value;
    } cases[] = {
        {"none", true, sim::TrackFault::Kind::None, 0},
        {"cut", true, sim::TrackFault::Kind::Cut, 0},
        {"slow:2500", true, sim::TrackFault::Kind::Slow, 2500},
        {"status:500", true, sim::TrackFault::Kind::Status, 500},
        {"status:200", false, {}, 0},
        {"slow:", false, {}, 0},
        {"slow:-5", false, {}, 0},
        {"fast", false, {}, 0},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto fault = sim::TrackFault::Parse(c.text, &error);
        ASSERT_EQ(fault.has_value(), c.valid) << c.text;
        if (!fault) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(fault->kind, c.kind);
        EXPECT_EQ(fault->value, c.value);
        EXPECT_EQ(fault->Text(), c.text);
    }
}

}  // namespace
}  // namespace fw
