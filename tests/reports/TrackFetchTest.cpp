#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <memory>

#include "reports/TrackFetch.h"
#include "reports/TrackRequest.h"
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
        const std::string& date = state.scenario().date;
        url = QUrl::fromEncoded(QByteArray::fromStdString(
            BuildTrackRequest("127.0.0.1", site.Port(), state.scenario().vehicles.front().id, "",
                              date + " 05:00:00", date + " 21:00:00")
                .Url()));
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

// The whole body arrives however long it trickles in all; only silence for the idle time
// (TrackTimeout) ends a transfer that has started.
TEST_F(TrackFetchTest, OnlySilenceEndsATransferThatHasStartedAndAFailureGivesNoBody) {
    const Outcome normal = Fetch(url);
    EXPECT_TRUE(normal.failure.isEmpty()) << normal.failure.toStdString();
    ASSERT_TRUE(normal.body.startsWith("{\"msg\":\"\",\"result\":true"))
        << normal.body.left(80).toStdString();

    site.SetTrackFault(*sim::TrackFault::Parse("slow:2000"));  // twenty pieces, 100 ms apart
    const Outcome trickle = Fetch(url, {.connectMs = 10000, .idleMs = 600});
    EXPECT_TRUE(trickle.failure.isEmpty()) << trickle.failure.toStdString();
    EXPECT_EQ(trickle.body, normal.body);
    EXPECT_GE(trickle.progressSignals, 5);

    BodyServer silent, big;
    silent.mode = BodyServer::Mode::Silent;
    const Outcome idle = Fetch(Local(silent.Port()), {.connectMs = 10000, .idleMs = 300});
    EXPECT_TRUE(idle.body.isEmpty());
    EXPECT_TRUE(idle.failure.startsWith("no data for 0.3 s")) << idle.failure.toStdString();

    // Every way a transfer fails gives no body at all, a reason, and ends in time.
    for (const auto& [fault, because] :
         {std::pair{"cut", ""}, std::pair{"status:503", "HTTP status 503"},
          std::pair{"status:404", ""}}) {
        site.SetTrackFault(*sim::TrackFault::Parse(fault));
        const Outcome o = Fetch(url);
        EXPECT_TRUE(o.body.isEmpty()) << fault;
        EXPECT_FALSE(o.failure.isEmpty()) << fault;
        EXPECT_TRUE(o.failure.contains(because)) << o.failure.toStdString();
    }
    big.body = QByteArray(4096, 'x');
    quint16 closed;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closed = probe.serverPort();
    }
    const Outcome hung = Fetch(Local(silent.Port()), {.connectMs = 10000, .wholeMs = 300});
    const Outcome refused = Fetch(Local(closed));
    const Outcome larger = Fetch(Local(big.Port()), {}, 1000);
    EXPECT_EQ(hung.body + refused.body + larger.body, QByteArray());
    EXPECT_TRUE(hung.failure.startsWith("not complete")) << hung.failure.toStdString();
    EXPECT_FALSE(refused.failure.isEmpty());
    EXPECT_TRUE(larger.failure.contains("larger")) << larger.failure.toStdString();

    // Aborted: no finished signal, later or ever.
    TrackFetch fetch(network);
    QSignalSpy done(&fetch, &TrackFetch::finished);
    fetch.Start(Local(silent.Port()));
    fetch.Abort();
    EXPECT_FALSE(done.wait(300));
}

}  // namespace
}  // namespace fw
