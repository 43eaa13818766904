#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <json/value.h>

#include <string>

#include "net/DocumentHold.h"
#include "net/ReceivePipeline.h"
#include "net/ServerSocket.h"

namespace fw {

class Log;
class TextCodec;
struct LoginConfig;

// A dispatcher's sign-in to the dispatch server, without a window: the connection, the login
// request and its answer, the heartbeat, the automatic re-login after a lost connection, and the
// hold where received documents wait while a report run fetches its track.
//
// The pages ask it whether a request can go out now (CanSend) and whether it went (Send: a
// request that cannot go out is never reported as sent, and nothing is queued for later). The
// window and the pages are told by its signals: connection lost, signed in (again), ended.
class ServerSession : public QObject, public ReceiveHandler {
    Q_OBJECT
public:
    struct Timing {
        int heartbeatMs = 30000;
        int loginReplyMs = 15000;   // the server's answer to the login request
        int reconnectDivisor = 1;   // divides the reconnect waits (tests only)
        int settleMs = 3000;        // after a re-login, no push for this long: all have come
    };
    enum class State {
        SignedOut,     // nobody signed in: the login window, or the session has ended
        SigningIn,     // a sign-in asked for in the login window, not answered yet
        SignedIn,      // signed in and connected: requests go out
        Reconnecting,  // signed in, the connection lost and being made again: nothing goes out
    };

    // Reads the server, port, user, password and reconnect settings of `config` at each
    // attempt; logs to `log` (received bytes only while its switch is on).
    ServerSession(const LoginConfig& config, const TextCodec& codec, Log& log, Timing timing,
                  QObject* parent = nullptr);
    ~ServerSession() override;

    // Where received documents go once they are past the hold (the receive dispatcher); false
    // from it ends the read.
    void SetHandler(DocumentHold::Handler handler) { handler_ = std::move(handler); }

    State CurrentState() const { return state_; }
    bool IsReconnecting() const { return state_ == State::Reconnecting; }
    int ReconnectAttempt() const { return reconnectAttempt_; }
    ServerSocket* Socket() const { return socket_; }
    DocumentHold& Hold() { return hold_; }

    // A sign-in as the login window asks for it: loggingIn() once connected, then signedIn(),
    // loginRefused() or signInFailed().
    void SignIn();
    // The session ends here (logging out, 停止重连, the program closing): the connection is
    // closed, nothing more is sent or handled, the hold is emptied. No signal follows.
    void End();

    // Whether a request would go out now: signed in with the connection up.
    bool CanSend() const;
    // Hands a request to the connection; true when it went. False when it did not: nobody is
    // signed in, the connection is down or being made again, or the write found it gone (the
    // loss is then handled as if the socket had reported it). The caller shows the action as
    // not done; nothing is kept to be sent later.
    bool Send(const Json::Value& message);

    // The server's answer to the login request (8000); false when it ended the session.
    bool LoginReply(const std::string& result, const std::string& text);
    // An answer that received documents ask for (1010, 9002): it goes when it can; false only
    // when the session has ended, which drops the rest of the read.
    bool Answer(const Json::Value& message);

    // ReceiveHandler
    bool Dispatch(Message& message) override;
    void WriteLog(std::string_view text) override;
    bool WantsLog() const override;

signals:
    // Connected, the login request sent.
    void loggingIn();
    // A sign-in from the login window failed ("服务器连接失败!!!", "服务器无应答", ...).
    void signInFailed(const QString& reason);
    // The server accepted the login; `again` when it is the automatic re-login after a lost
    // connection (the pages keep their state; the server's pushes refresh it).
    void signedIn(bool again);
    // The server refused the password; the session has ended.
    void loginRefused(const QString& text);
    // A signed-in connection is gone. What was waiting for an answer will not get one. The
    // re-login's first try is already waited for (reconnectTry), or ended() follows.
    void connectionLost();
    // The re-login's next try is waited for (1 for the first).
    void reconnectTry(int attempt);
    // The session ended by itself: the connection went and is not made again (no remembered
    // password, AutoReconnect=0, five minutes of tries).
    void ended(const QString& reason);
    // A document came in, whether it is handled now or waits in the hold.
    void documentArrived(int code);
    // After a re-login: the server's pushes have come to rest (no document for settleMs and
    // none waiting): what it did not send again is gone.
    void pushesSettled();

private:
    void Connect();
    void AttemptFailed(const char* reason);
    void OnConnectionLost();
    void ScheduleReconnect();
    void DropSocket();
    void OnHeartbeat();
    void OnSettle();

    const LoginConfig& config_;
    const TextCodec& codec_;
    Log& log_;
    Timing timing_;
    DocumentHold::Handler handler_;
    DocumentHold hold_;
    QPointer<ServerSocket> socket_;
    State state_ = State::SignedOut;
    QTimer heartbeat_;
    QTimer loginReply_;
    QTimer reconnect_;
    QTimer settle_;
    QElapsedTimer reconnectClock_;
    int reconnectAttempt_ = 0;
    int serial_ = 0;  // counts Ends: who is told something can see whether the session ended
};

}  // namespace fw
