// Relaytab: drives the remote-command interface of a measuring-instrument PC application over TCP.
#include "TerminationSignals.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Relaytab"));

    frmMain window;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window, &frmMain::closeFromOutside);
    window.show();
    return app.exec();
}
