#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace fw::test {

struct SimPorts {
    QString port, webPort;
    QString log;  // what the simulator said before naming its ports (or giving up)
};

// Starts the fenwarde-sim executable with these arguments ("--port 0" lets it pick) and reads
// the two ports from its first log line; empty ports when it did not start within 10 s.
inline SimPorts StartSimProcess(QProcess& sim, const QString& exe, const QStringList& args) {
    SimPorts out;
    sim.setProcessChannelMode(QProcess::SeparateChannels);
    sim.start(exe, args);
    if (!sim.waitForStarted(5000)) return out;
    const QRegularExpression ports(
        QStringLiteral("on 127\\.0\\.0\\.1:(\\d+), web site on http://127\\.0\\.0\\.1:(\\d+)/"));
    QRegularExpressionMatch m;
    for (int i = 0; i < 100 && !(m = ports.match(out.log)).hasMatch(); ++i) {
        sim.waitForReadyRead(100);
        out.log += QString::fromUtf8(sim.readAllStandardError());
    }
    if (m.hasMatch()) out = {m.captured(1), m.captured(2), out.log};
    return out;
}

}  // namespace fw::test
