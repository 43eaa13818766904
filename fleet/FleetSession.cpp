#include "fleet/FleetSession.h"

#include "fleet/FleetPlan.h"
#include "net/Requests.h"
#include "web/SignInUrls.h"

namespace fw {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr const char* kConnectFailed = "服务器连接失败!!!";
constexpr const char* kDisconnected = "与服务器断开连接";
constexpr const char* kNoAnswer = "服务器无应答";
// Without an answer to every 9002 the pushes settle only after this many quiet periods.
constexpr int kQuietRoundsForStations = 5;

}  // namespace

FleetSession::FleetSession(LoginConfig config, std::string password, Log& log, Timing timing)
    : config_(std::move(config)),
      password_(std::move(password)),
      log_(log),
      timing_(timing),
      codec_(config_.charset),
      routes_(&log),
      dispatcher_(routes_, vehicles_, unusedTable_, *this) {
    dispatcher_.SetUser(config_.user);
    for (QTimer* t : {&loginReply_, &quiet_, &silence_}) t->setSingleShot(true);
    connect(&loginReply_, &QTimer::timeout, this, [this] { Fail(Q(kNoAnswer)); });
    connect(&quiet_, &QTimer::timeout, this, &FleetSession::OnQuiet);
    connect(&silence_, &QTimer::timeout, this, [this] { End(Q(kNoAnswer)); });
    connect(&heartbeat_, &QTimer::timeout, this, [this] { SendJson(HeartbeatRequest()); });
}

FleetSession::~FleetSession() { Close(); }

void FleetSession::SignIn() {
    phase_ = Phase::Connecting;
    socket_ = new ServerSocket(codec_, *this, this);
    connect(socket_, &ServerSocket::connected, this, [this] {
        phase_ = Phase::LoggingIn;
        if (socket_->SendJson(LoginRequest(config_.user, password_)) != ServerSocket::SendResult::Sent) {
            Fail(Q(kDisconnected));
            return;
        }
        loginReply_.start(timing_.loginReplyMs);
    });
    connect(socket_, &ServerSocket::connectFailed, this, [this](const QString& reason) {
        Fail(QStringLiteral("%1 (%2:%3: %4)").arg(Q(kConnectFailed), Q(config_.server)).arg(config_.port).arg(reason));
    });
    connect(socket_, &ServerSocket::connectionLost, this, [this] {
        if (phase_ == Phase::Ready) End(Q(kDisconnected));
        else Fail(Q(kDisconnected));
    });
    socket_->Open(Q(config_.server), static_cast<quint16>(config_.port), timing_.connectMs);
}

void FleetSession::Close() {
    for (QTimer* t : {&loginReply_, &quiet_, &silence_, &heartbeat_}) t->stop();
    waiting_ = false;
    if (!socket_) return;
    socket_->disconnect(this);
    socket_->Close();
    // It may be inside its own read notification: delete it once that has returned.
    socket_->deleteLater();
    socket_ = nullptr;
}

void FleetSession::Fail(const QString& why) {
    if (phase_ == Phase::Ended) return;
    phase_ = Phase::Ended;
    WriteLog(why.toStdString());
    Close();
    emit signInFailed(why);
}

void FleetSession::End(const QString& why) {
    if (phase_ == Phase::Ended) return;
    phase_ = Phase::Ended;
    WriteLog(why.toStdString());
    Close();
    emit ended(why);
}

bool FleetSession::SendJson(const Json::Value& message) {
    if (!socket_) return false;
    if (socket_->SendJson(message) == ServerSocket::SendResult::Sent) {
        if (Text(message["header"], "cmd") == "9002") ++stationsDue_[Text(message["body"], "lineid")];
        return true;
    }
    if (phase_ == Phase::Ready) End(Q(kDisconnected));
    else Fail(Q(kDisconnected));
    return false;
}

bool FleetSession::LoginResult(const std::string& result, const std::string& text) {
    if (phase_ != Phase::LoggingIn) return true;
    loginReply_.stop();
    if (!IsLoginSuccess(result)) {
        Fail(text.empty() ? QStringLiteral("the server refused the login") : Q(text));
        return false;
    }
    phase_ = Phase::Settling;
    heartbeat_.start(timing_.heartbeatMs);
    quiet_.start(timing_.settleMs);
    return SendJson(HelloRequest(config_.user)) && SendJson(AnnounceRequest());
}

void FleetSession::OnQuiet() {
    if (phase_ != Phase::Settling) return;
    bool stationsDue = false;
    for (const auto& [line, due] : stationsDue_) stationsDue = stationsDue || due > 0;
    if (stationsDue && ++quietRounds_ < kQuietRoundsForStations) {
        quiet_.start(timing_.settleMs);
        return;
    }
    phase_ = Phase::Ready;
    emit signedIn();
}

bool FleetSession::Dispatch(Message& message) {
    switch (phase_) {
        case Phase::LoggingIn:
            break;
        case Phase::Settling:
            // Every push says there may be more to come.
            quiet_.start(timing_.settleMs);
            break;
        case Phase::Ready:
            break;
        default:
            return false;
    }
    switch (message.code) {
        case 9003: {
            auto due = stationsDue_.find(Text(message.body, "lineId"));
            if (due != stationsDue_.end() && due->second > 0) --due->second;
            break;
        }
        case 9017:
            if (waiting_) {
                rows_.push_back(StopTimeEntryOf(message.body));
                silence_.start(timing_.answerMs);
            }
            return true;
        case 9019:
            if (waiting_ && Text(message.body, "type") == "batch") {
                waiting_ = false;
                silence_.stop();
                emit stopRows(std::exchange(rows_, {}));
            }
            return phase_ != Phase::Ended;
        case 9021:
            return true;
        default:
            break;
    }
    return dispatcher_.Dispatch(message) && phase_ != Phase::Ended;
}

void FleetSession::RequestStopRows(const VehicleDay& day) {
    if (phase_ != Phase::Ready || waiting_) return;
    rows_.clear();
    waiting_ = true;
    silence_.start(timing_.answerMs);
    SendJson(StopTimesRequest(config_.user, day.vehicleId, day.plate, day.date));
}

}  // namespace fw
