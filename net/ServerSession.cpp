#include "net/ServerSession.h"

#include <algorithm>

#include "base/Config.h"
#include "base/Log.h"
#include "net/ReconnectPlan.h"
#include "net/Requests.h"
#include "web/SignInUrls.h"

namespace fw {
namespace {

constexpr const char* kConnectFailed = "服务器连接失败!!!";
constexpr const char* kDisconnected = "与服务器断开连接";
constexpr const char* kNoAnswer = "服务器无应答";

}  // namespace

ServerSession::ServerSession(const LoginConfig& config, const TextCodec& codec, Log& log,
                             Timing timing, QObject* parent)
    : QObject(parent),
      config_(config),
      codec_(codec),
      log_(log),
      timing_(timing),
      hold_([this](Message& m) {
          // What a re-login brings counts as a push once it is handled, held or not.
          if (settle_.isActive()) settle_.start(timing_.settleMs);
          return !handler_ || handler_(m);
      }) {
    for (QTimer* timer : {&heartbeat_, &loginReply_, &reconnect_, &settle_}) timer->setSingleShot(true);
    connect(&heartbeat_, &QTimer::timeout, this, &ServerSession::OnHeartbeat);
    connect(&loginReply_, &QTimer::timeout, this, [this] { AttemptFailed(kNoAnswer); });
    connect(&reconnect_, &QTimer::timeout, this, &ServerSession::Connect);
    connect(&settle_, &QTimer::timeout, this, &ServerSession::OnSettle);
}

ServerSession::~ServerSession() { End(); }

void ServerSession::SignIn() {
    End();
    state_ = State::SigningIn;
    Connect();
}

void ServerSession::End() {
    ++serial_;
    state_ = State::SignedOut;
    for (QTimer* timer : {&heartbeat_, &loginReply_, &reconnect_, &settle_}) timer->stop();
    DropSocket();
    hold_.Clear();
}

void ServerSession::Connect() {
    DropSocket();
    socket_ = new ServerSocket(codec_, *this, this);
    connect(socket_, &ServerSocket::connected, this, [this] {
        emit loggingIn();
        // Straight to the socket: nothing else may go out before the server has answered.
        if (socket_->SendJson(LoginRequest(config_.user, config_.password)) != ServerSocket::SendResult::Sent) {
            AttemptFailed(kDisconnected);
            return;
        }
        loginReply_.start(timing_.loginReplyMs);
    });
    connect(socket_, &ServerSocket::connectFailed, this, [this] { AttemptFailed(kConnectFailed); });
    connect(socket_, &ServerSocket::connectionLost, this, &ServerSession::OnConnectionLost);
    socket_->Open(QString::fromStdString(config_.server), static_cast<quint16>(config_.port));
}

void ServerSession::AttemptFailed(const char* reason) {
    loginReply_.stop();
    WriteLog(reason);
    DropSocket();
    if (state_ == State::Reconnecting) {
        ScheduleReconnect();
    } else if (state_ == State::SigningIn) {
        state_ = State::SignedOut;
        emit signInFailed(QString::fromUtf8(reason));
    }
}

void ServerSession::OnConnectionLost() {
    if (state_ != State::SignedIn) {
        AttemptFailed(kDisconnected);  // gone before it answered the login
        return;
    }
    WriteLog(kDisconnected);
    DropSocket();
    heartbeat_.stop();
    settle_.stop();
    if (!config_.autoReconnect || config_.remember != "1") {
        state_ = State::SignedOut;
        hold_.Clear();
        const int serial = serial_;
        emit connectionLost();
        // Unless those told ended the session themselves (logging out under a box).
        if (serial == serial_) emit ended(QString::fromUtf8(kDisconnected));
        return;
    }
    // The tries run from now on, whatever those told do meanwhile (a box waits for a person).
    state_ = State::Reconnecting;
    reconnectAttempt_ = 0;
    reconnectClock_.start();
    ScheduleReconnect();
    emit connectionLost();
}

void ServerSession::ScheduleReconnect() {
    const auto delay = ReconnectPlan::DelayBefore(
        reconnectAttempt_ + 1, static_cast<int>(reconnectClock_.elapsed()) * timing_.reconnectDivisor);
    if (!delay) {
        End();
        emit ended(QString::fromUtf8(kDisconnected));
        return;
    }
    ++reconnectAttempt_;
    reconnect_.start(*delay / std::max(1, timing_.reconnectDivisor));
    emit reconnectTry(reconnectAttempt_);
}

void ServerSession::DropSocket() {
    if (!socket_) return;
    socket_->disconnect(this);
    socket_->Close();
    // It may be inside its own read notification: delete it once that has returned.
    socket_->deleteLater();
    socket_ = nullptr;
}

bool ServerSession::CanSend() const {
    return state_ == State::SignedIn && socket_ && socket_->IsConnected();
}

bool ServerSession::Send(const Json::Value& message) {
    if (state_ != State::SignedIn || !socket_) return false;
    switch (socket_->SendJson(message)) {
        case ServerSocket::SendResult::Sent: return true;
        case ServerSocket::SendResult::NotConnected: return false;
        case ServerSocket::SendResult::Lost: break;
    }
    OnConnectionLost();
    return false;
}

bool ServerSession::Answer(const Json::Value& message) {
    Send(message);
    return state_ != State::SignedOut;
}

bool ServerSession::LoginReply(const std::string& result, const std::string& text) {
    // Only the answer to our own request counts.
    if (!loginReply_.isActive()) return state_ != State::SignedOut;
    loginReply_.stop();
    if (!IsLoginSuccess(result)) {
        End();
        emit loginRefused(QString::fromStdString(text));
        return false;
    }
    const bool again = state_ == State::Reconnecting;
    state_ = State::SignedIn;
    reconnect_.stop();
    heartbeat_.start(timing_.heartbeatMs);
    if (again) settle_.start(timing_.settleMs);
    emit signedIn(again);
    return Answer(HelloRequest(config_.user)) && Answer(AnnounceRequest());
}

void ServerSession::OnHeartbeat() {
    // Counted from the end of each send; only a live connection is kept alive.
    if (state_ != State::SignedIn) return;
    Send(HeartbeatRequest());
    if (state_ == State::SignedIn) heartbeat_.start(timing_.heartbeatMs);
}

void ServerSession::OnSettle() {
    // What waits in the hold is still to be handled: the pushes have not settled yet.
    if (hold_.Holding() || hold_.Waiting() > 0) {
        settle_.start(timing_.settleMs);
        return;
    }
    emit pushesSettled();
}

bool ServerSession::Dispatch(Message& message) {
    if (state_ == State::SignedOut) return false;
    emit documentArrived(message.code);
    if (state_ == State::SignedOut) return false;
    // The answer to the login is never held behind what a report run keeps back.
    if (loginReply_.isActive()) return !handler_ || handler_(message);
    return hold_.Receive(message);
}

void ServerSession::WriteLog(std::string_view text) { log_.WriteLog(text); }

bool ServerSession::WantsLog() const { return log_.Switch() != 0; }

}  // namespace fw
