#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace fw {

// The page event relay: pages hand it command texts through FenwardeRelay.operate(text), and
// every window listening to it gets one operation() per command, after which CommandText()
// holds that command. Published to the page's isolated script world through QWebChannel.
class PageRelay : public QObject {
    Q_OBJECT
public:
    explicit PageRelay(QObject* parent = nullptr);

    QString CommandText() const { return command_; }
    int CommandCount() const { return commands_; }

    // Whether the document now shown may talk to the program; calls from any other page are
    // dropped. Unset: every call is delivered.
    void SetTrustCheck(std::function<bool()> trusted) { trusted_ = std::move(trusted); }

    // Called by the page's side only.
    Q_INVOKABLE void operate(const QString& text);
    Q_INVOKABLE void attach();

signals:
    // One per command: the OnOperation of the listening windows.
    void operation();
    // The page's side is connected: commands from this document now reach the windows.
    void attached();
    void dropped(const QString& text);

private:
    QString command_;
    int commands_ = 0;
    std::function<bool()> trusted_;
};

// The scripts that publish FenwardeRelay to a document at its creation, for documents of the
// given web site only ("http://host:port"; the browser compares origins the way it does itself).
// The page script runs in the page's world and only turns calls into DOM events; the bridge
// script runs in an isolated world, which alone holds the channel to the program, so no page
// script can reach the program any other way. Empty when the channel script cannot be read.
struct RelayScripts {
    QString pageWorld;
    QString bridgeWorld;
};
RelayScripts MakeRelayScripts(const QString& trustedBase);

}  // namespace fw
