// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface thread, so that the end
// of a desktop session or a kill closes the main window as its close box does and nothing is lost.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Whether a signal has come since construction, also one that came before anyone listened.
    bool Received() const { return m_received; }

signals:
    void terminationRequested();

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
    bool m_received = false;
};
