// instrument-sim as a separate process for the tests; INSTRUMENT_SIM_PATH names the built program.
#pragma once

#include <QtCore>

// A simulator process on a port of its own choosing, stopped when it goes out of scope.
class Sim
{
public:
    ~Sim()
    {
        process.terminate();
        process.waitForFinished(5000);
    }

    // Unless told otherwise it listens on 127.0.0.1 only.
    bool start(QStringList args, bool defaultAddresses = false)
    {
        if (!defaultAddresses && !args.contains(QStringLiteral("--listen")))
            args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1");
        process.start(QStringLiteral(INSTRUMENT_SIM_PATH),
                      args << QStringLiteral("--port") << QStringLiteral("0"));
        while (!process.canReadLine())
            if (!process.waitForReadyRead(5000))
                return false;
        static const QRegularExpression started(QStringLiteral("^instrument-sim listening on \\S+:(\\d+)"));
        port = quint16(started.match(QString::fromLocal8Bit(process.readLine())).captured(1).toUInt());
        return port != 0;
    }

    QProcess process;
    quint16 port = 0;
};
