// The built merrovan-cli run as a user runs it: its exit status and both of its streams.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace mvtest {

struct CliRun {
    int status = -1;  // -1: it crashed or did not end within the time allowed
    QByteArray out;
    QByteArray err;
};

inline CliRun RunMerrovanCli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(MERROVAN_BIN_DIR "/merrovan-cli"), args);
    CliRun r;
    if (!p.waitForFinished(300000)) return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

}  // namespace mvtest
