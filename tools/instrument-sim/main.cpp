// instrument-sim: a stand-in for the instrument application's command server, so that Relaytab
// can be tried, tested and measured without an instrument. See --help.
#include "SimOptions.h"
#include "SimServer.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalFds[2] = {-1, -1};

// Only async-signal-safe work here; the event loop picks the byte up and quits.
void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalFds[1], &byte, 1);
}

bool quitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalFds) != 0)
        return false;
    auto* notifier = new QSocketNotifier(signalFds[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app, notifier] {
        notifier->setEnabled(false);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

int failure(const QString& message)
{
    std::fprintf(stderr, "instrument-sim: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("instrument-sim"));
    std::signal(SIGPIPE, SIG_IGN); // a client that vanishes must not end the server

    sim::SimOptions options;
    QString message;
    switch (sim::parseOptions(QCoreApplication::arguments(), options, message)) {
    case sim::ParseResult::Help:
        std::fputs(qPrintable(message), stdout);
        return 0;
    case sim::ParseResult::Error:
        return failure(message);
    case sim::ParseResult::Run:
        break;
    }

    if (!quitOnSignals(app))
        return failure(QStringLiteral("cannot install signal handlers"));
    sim::SimServer server(options);
    if (!server.listen(message))
        return failure(message);
    std::printf("instrument-sim listening on %s (device type %d)\n", qPrintable(server.listeningText()),
                options.deviceType);
    std::fflush(stdout);
    return app.exec();
}
