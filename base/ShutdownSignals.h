#pragma once

#include <QObject>

class QSocketNotifier;

namespace fw {

// Turns SIGTERM and SIGINT into a Qt signal on the UI thread, so that a desktop session that
// ends closes the main window the normal way (and conf.ini is written).
class ShutdownSignals : public QObject {
    Q_OBJECT
public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

signals:
    void shutdownRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace fw
