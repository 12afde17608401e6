// instrument-sim as a separate process for the tests; INSTRUMENT_SIM_PATH names the built program.
#pragma once

#include <QProcess>
#include <QRegularExpression>

// A simulator process on a port of its own choosing, stopped when it goes out of scope.
class Sim
{
public:
    static constexpr int SimTimeout = 5000;

    ~Sim()
    {
        process.terminate();
        process.waitForFinished(SimTimeout);
    }

    // Unless told otherwise it listens on 127.0.0.1 only.
    bool start(QStringList args, bool defaultAddresses = false)
    {
        if (!defaultAddresses && !args.contains(QStringLiteral("--listen")))
            args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1");
        process.start(QStringLiteral(INSTRUMENT_SIM_PATH),
                      args << QStringLiteral("--port") << QStringLiteral("0"));
        if (!process.waitForStarted(SimTimeout))
            return false;
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(SimTimeout))
                return false;
        }
        static const QRegularExpression started(QStringLiteral("^instrument-sim listening on \\S+:(\\d+)"));
        port = quint16(started.match(QString::fromLocal8Bit(process.readLine())).captured(1).toUInt());
        return port != 0;
    }

    QProcess process;
    quint16 port = 0;
};
