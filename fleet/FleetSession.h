#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <string>
#include <vector>

#include "base/Config.h"
#include "base/Log.h"
#include "net/Dispatcher.h"
#include "net/ReceivePipeline.h"
#include "net/ServerSocket.h"
#include "routes/RouteStore.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/Encoding.h"

namespace fw {

struct VehicleDay;

// The report tool's connection to the dispatch server: it signs in as the window's login does,
// gathers the vehicles and routes the server pushes, and then asks for one vehicle-day's stop
// rows at a time. The answers are not tied to their requests, so a request goes out only after
// the last one's closing 9019.
class FleetSession : public QObject, public ReceiveHandler, public DispatchTarget {
    Q_OBJECT
public:
    struct Timing {
        int connectMs = ServerSocket::kConnectTimeoutMs;
        int loginReplyMs = 15000;     // as the window waits for the login's answer
        int settleMs = 1000;          // no push for this long: the server has sent what it had
        int answerMs = 60000;         // silence while stop rows are due
        int heartbeatMs = 30000;
    };

    FleetSession(LoginConfig config, std::string password, Log& log, Timing timing);
    ~FleetSession() override;

    // Connects and signs in: signedIn() once the pushes have settled, or signInFailed().
    void SignIn();
    const VehicleStore& Vehicles() const { return vehicles_; }
    const RouteStore& Routes() const { return routes_; }
    const TextCodec& Wire() const { return codec_; }
    const std::string& User() const { return config_.user; }

    // Asks for a vehicle-day's stop rows; stopRows() follows, or ended() when the connection is
    // gone or the server falls silent. One request at a time.
    void RequestStopRows(const VehicleDay& day);
    bool IsWaiting() const { return waiting_; }
    void Close();

    // ReceiveHandler / DispatchTarget.
    bool Dispatch(Message& message) override;
    bool WantsLog() const override { return config_.writeLog != 0; }
    void WriteLog(std::string_view text) override { log_.WriteLog(text); }
    bool SendJson(const Json::Value& message) override;
    bool LoginResult(const std::string& result, const std::string& text) override;
    void AddGroupChoice(const std::string&) override {}
    void AddVehicleChoice(const std::string&) override {}

signals:
    void signedIn();
    void signInFailed(const QString& why);
    void stopRows(std::vector<fw::StopTimeEntry> rows);
    // The connection cannot be used any more; what it had not answered never will be.
    void ended(const QString& why);

private:
    enum class Phase { Idle, Connecting, LoggingIn, Settling, Ready, Ended };
    void Fail(const QString& why);
    void End(const QString& why);
    void OnQuiet();

    LoginConfig config_;
    std::string password_;
    Log& log_;
    Timing timing_;
    TextCodec codec_;
    RouteStore routes_;
    VehicleStore vehicles_;
    // The dispatcher stores stop rows in a table; here they are taken before it, so its table
    // stays closed and unused.
    Database unused_;
    StopTimeTable unusedTable_{unused_};
    Dispatcher dispatcher_;
    ServerSocket* socket_ = nullptr;
    Phase phase_ = Phase::Idle;
    QTimer loginReply_;
    QTimer quiet_;
    QTimer silence_;
    QTimer heartbeat_;
    int quietRounds_ = 0;
    std::map<std::string, int> stationsDue_;  // line id → 9002s not yet answered
    bool waiting_ = false;
    std::vector<StopTimeEntry> rows_;
};

}  // namespace fw
