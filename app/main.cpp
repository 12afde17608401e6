// Relaytab: drives the remote-command interface of a measuring-instrument PC application over TCP.
#include "TerminationSignals.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Relaytab"));

    // Installed first, so that a signal arriving during start-up is handled once the window runs.
    TerminationSignals termination;
    frmMain window;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, &frmMain::closeFromOutside);
    window.show();
    return app.exec();
}
