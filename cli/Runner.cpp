#include "Runner.h"

#include "CommandSession.h"
#include "Journal.h"
#include "LogFormat.h"
#include "TerminationSignals.h"
#include "TrafficLog.h"
#include "Winsock.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace Runner {

namespace {

using RunOptions::Exit;
using RunOptions::Format;

// Rows are printed as they are logged, so the log itself need not keep them: it is emptied now and
// then, and memory stays flat over a run of any length.
constexpr int KeptRows = 1024;
constexpr int DisconnectMs = 2000;

void print(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    // Per row: a caller reading the pipe sees each reply as it comes.
    std::fflush(stdout);
}

QByteArray formatted(Format format, const LogRow& row)
{
    switch (format) {
    case Format::Csv:
        return LogFormat::CsvRecord(row);
    case Format::Jsonl:
        return LogFormat::JsonLine(row);
    case Format::Text:
        break;
    }
    return LogFormat::JournalLine(row);
}

void complain(const QString& message)
{
    std::fprintf(stderr, "relaytab-run: %s\n", qPrintable(message));
}

} // namespace

int Run(const RunOptions::Options& options, const QStringList& commands)
{
    CommandSession session;
    session.SetAppendCrLf(*options.crlf || *options.deviceType == 2);
    session.SetReplyTimeout(options.replyTimeoutS);

    std::unique_ptr<Journal> journal;
    if (options.journal) {
        const QString folder = modGlobal::DataFolder + QLatin1String("Logs/");
        modTools::MakePath(folder);
        journal = std::make_unique<Journal>(folder);
        QObject::connect(journal.get(), &Journal::failed, journal.get(), [](const QString& reason) {
            complain(QStringLiteral("journal stopped: ") + reason);
        });
        session.SetJournal(journal.get());
    }

    if (options.format == Format::Csv)
        print(LogFormat::CsvHeader());
    QObject::connect(&session, &CommandSession::rowLogged, &session, [&](int row) {
        TrafficLog* log = session.Log();
        print(formatted(options.format, log->Row(row)));
        if (log->rowCount() >= KeptRows)
            log->Clear();
    });

    bool interrupted = false;
    bool running = false;
    QEventLoop connecting;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &session, [&] {
        interrupted = true;
        session.End();
        connecting.quit();
    });
    QObject::connect(&session, &CommandSession::stateChanged, &session, [&](ConnectionState state) {
        if (!running && state != ConnectionState::ResolvingHost && state != ConnectionState::HostResolved &&
            state != ConnectionState::Connecting)
            connecting.quit();
        // Nothing more can be sent or received: the run ends where it is.
        if (running && state != ConnectionState::Connected)
            session.End();
    });

    const QString host = *options.host;
    const QString port = *options.port;
    session.SetTarget(host, port);
    if (!session.Socket()->Connect(host, port)) {
        complain(QStringLiteral("cannot connect to %1:%2").arg(host, port));
        return Exit::NoConnection;
    }
    QTimer::singleShot(options.connectTimeoutS * 1000, &connecting, &QEventLoop::quit);
    if (session.State() != ConnectionState::Connected && !interrupted)
        connecting.exec();
    if (interrupted) {
        session.Socket()->Close();
        return Exit::Interrupted;
    }
    if (session.State() != ConnectionState::Connected) {
        const QString reason = session.State() == ConnectionState::Error
                                   ? session.Socket()->ErrorText()
                                   : QStringLiteral("no connection within %1 s").arg(options.connectTimeoutS);
        complain(QStringLiteral("cannot connect to %1:%2: %3").arg(host, port, reason));
        session.Socket()->Close();
        return Exit::NoConnection;
    }

    running = true;
    CommandSession::RunOptions runOptions;
    // Each pass waits for the reply to the last command of the pass before.
    runOptions.clearAwaitingReply = false;
    runOptions.awaitLastReply = true;
    CommandSession::RunResult result = CommandSession::RunResult::Completed;
    for (int pass = 0;
         (options.repeat == 0 || pass < options.repeat) && result == CommandSession::RunResult::Completed;
         ++pass)
        result = session.Run(commands, runOptions);
    running = false;

    session.Socket()->Disconnect(DisconnectMs);
    journal.reset();
    if (interrupted)
        return Exit::Interrupted;
    if (result == CommandSession::RunResult::Completed)
        return Exit::Success;
    if (result == CommandSession::RunResult::TimedOut)
        return Exit::NoReply;
    complain(QStringLiteral("connection to %1:%2 lost").arg(host, port));
    return Exit::ConnectionLost;
}

} // namespace Runner
