// Relaytab: drives the remote-command interface of a measuring-instrument PC application over TCP.
#include "Profiles.h"
#include "TerminationSignals.h"
#include "frmMain.h"
#include "modGlobal.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace {

const QCommandLineOption
    profileOption(QStringLiteral("profile"),
                  QStringLiteral("Use a data folder of its own for profile NAME (one per "
                                 "instrument): 1 to 64 letters, digits, - and _."),
                  QStringLiteral("NAME"));

void describeCommandLine(QCommandLineParser& parser)
{
    QCoreApplication::setApplicationName(QStringLiteral("relaytab"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RELAYTAB_VERSION));
    parser.setApplicationDescription(QStringLiteral(
        "Drives the remote-command interface of a measuring-instrument PC application over TCP."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(profileOption);
}

} // namespace

int main(int argc, char* argv[])
{
    // Help and version need no display: they are answered before the window system is asked for.
    for (int n = 1; n < argc; ++n) {
        const QByteArray arg(argv[n]);
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version") {
            QCoreApplication core(argc, argv);
            QCommandLineParser parser;
            describeCommandLine(parser);
            // Exits with the text.
            parser.process(core);
        }
    }

    QApplication app(argc, argv);
    QCommandLineParser parser;
    describeCommandLine(parser);
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "relaytab: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Relaytab"));
    // Ties the window to its desktop entry, for the icon and name a desktop shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.vordane.Relaytab"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/de.vordane.Relaytab-256.png")));
    if (parser.isSet(profileOption)) {
        const QString profile = parser.value(profileOption);
        if (!Profiles::IsValidName(profile)) {
            std::fprintf(stderr, "relaytab: %s\n", qPrintable(Profiles::InvalidNameMessage(profile)));
            return 2;
        }
        modGlobal::Profile = profile;
    }

    // Installed first, so that a signal arriving during start-up is handled once the window runs.
    TerminationSignals termination;
    frmMain window;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window,
                     &frmMain::closeFromOutside);
    // Qt posts a quit event when the last window closes, and any event loop that starts after that
    // drops it: a script run that ends after its window has closed would leave the program running
    // without a window. A queued call stays in the queue.
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    // Start-up handles events while it provisions the data folder; a signal taken in then found
    // no window to close.
    if (termination.Received())
        QTimer::singleShot(0, &window, &frmMain::closeFromOutside);
    return app.exec();
}
