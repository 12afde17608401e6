// One client connection: splits the incoming bytes into commands, answers them in order through
// the shared instrument, and applies the test options (delay, chunks, close, silence).
#pragma once

#include "SimOptions.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <deque>

class QTcpSocket;

namespace sim {

class Instrument;

class SimClient : public QObject
{
    Q_OBJECT

public:
    SimClient(QTcpSocket* socket, Instrument& instrument, const SimOptions& options, quint64 id,
              QObject* parent = nullptr);

private:
    struct Pending
    {
        QByteArray line;
        qint64 due;
        bool overlong;
    };

    void pump();
    void readInput();
    void scan(const char* data, qsizetype size);
    void endPausedLine();
    void enqueue(QByteArray line, bool overlong);
    void answerDue();
    void send(const QByteArray& bytes);
    void sendChunk();
    bool congested() const;
    void finishIfDone();

    QTcpSocket* m_socket;
    Instrument& m_instrument;
    const SimOptions& m_options;
    const quint64 m_id;
    QByteArray m_line;
    bool m_overlong = false; // dropping the rest of a line that was too long
    std::deque<Pending> m_queue;
    QByteArray m_unsent; // chunked replies not yet written, from m_unsentPos
    qsizetype m_unsentPos = 0;
    QTimer m_pauseTimer;
    QTimer m_replyTimer;
    QTimer m_chunkTimer;
    int m_answered = 0;
    bool m_finishing = false;
    bool m_closeRequested = false;
    bool m_pumping = false;
    bool m_pumpAgain = false;
};

// One line on stdout with a UTC timestamp, flushed at once.
void logLine(const QString& text);

} // namespace sim
