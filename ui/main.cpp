// Relaytab: drives the remote-command interface of a measuring-instrument PC application over TCP.
#include "TerminationSignals.h"
#include "frmMain.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Relaytab"));
    QApplication::setApplicationVersion(QStringLiteral(RELAYTAB_VERSION));

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
