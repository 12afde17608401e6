#include "SimClient.h"

#include "Instrument.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QStringDecoder>
#include <QTcpSocket>

#include <cstdio>

namespace sim {

namespace {

constexpr qsizetype MaxLineLength = 1024 * 1024;
constexpr int PauseMs = 50; // a command without line end is complete after this pause
constexpr int ChunkIntervalMs = 10;
constexpr std::size_t MaxQueued = 1000;   // commands read ahead; beyond it the socket is left to fill
constexpr qint64 MaxUnsent = 1024 * 1024; // replies waiting for a slow reader; beyond it reading stops
constexpr qsizetype ReadPiece = 16 * 1024;
constexpr qsizetype MaxLogged = 200;

qint64 now()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

QString shownText(const QByteArray& bytes)
{
    static QStringDecoder decoder("windows-1252");
    const QByteArray shown = bytes.left(MaxLogged);
    QString text = decoder.isValid() ? decoder.decode(shown) : QString::fromLatin1(shown);
    if (bytes.size() > MaxLogged)
        text += QStringLiteral("... (%1 bytes)").arg(bytes.size());
    return text;
}

} // namespace

void logLine(const QString& text)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    std::fputs(qPrintable(stamp + QLatin1Char(' ') + text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

SimClient::SimClient(QTcpSocket* socket, Instrument& instrument, const SimOptions& options, quint64 id,
                     QObject* parent)
    : QObject(parent), m_socket(socket), m_instrument(instrument), m_options(options), m_id(id)
{
    m_socket->setParent(this);
    // A bounded read buffer lets TCP hold back a client that sends faster than we answer.
    m_socket->setReadBufferSize(64 * 1024);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setInterval(PauseMs);
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    m_chunkTimer.setSingleShot(true);
    m_chunkTimer.setInterval(ChunkIntervalMs);
    m_chunkTimer.setTimerType(Qt::PreciseTimer);

    connect(m_socket, &QTcpSocket::readyRead, this, &SimClient::pump);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &SimClient::pump);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_options.verbose)
            logLine(QStringLiteral("#%1 disconnected").arg(m_id));
        deleteLater();
    });
    connect(&m_pauseTimer, &QTimer::timeout, this, &SimClient::endPausedLine);
    connect(&m_replyTimer, &QTimer::timeout, this, &SimClient::pump);
    connect(&m_chunkTimer, &QTimer::timeout, this, &SimClient::sendChunk);

    if (m_options.verbose) {
        logLine(QStringLiteral("#%1 connected from %2 port %3")
                    .arg(m_id)
                    .arg(m_socket->peerAddress().toString())
                    .arg(m_socket->peerPort()));
    }
    pump();
}

// Every event comes here; signals raised while it runs (bytesWritten from a write) only ask for
// one more round instead of nesting.
void SimClient::pump()
{
    if (m_pumping) {
        m_pumpAgain = true;
        return;
    }
    m_pumping = true;
    do {
        m_pumpAgain = false;
        readInput();
        answerDue();
    } while (m_pumpAgain);
    m_pumping = false;
    finishIfDone();
}

void SimClient::readInput()
{
    bool gotData = false;
    char buffer[ReadPiece];
    while (!m_finishing && m_queue.size() < MaxQueued && m_socket->bytesAvailable() > 0) {
        const qint64 size = m_socket->read(buffer, ReadPiece);
        if (size <= 0)
            break;
        gotData = true;
        scan(buffer, size);
    }
    if (m_finishing) {
        m_socket->skip(m_socket->bytesAvailable());
        return;
    }
    // The pause only counts once everything that arrived has been looked at.
    if (m_socket->bytesAvailable() > 0 || (m_line.isEmpty() && !m_overlong))
        m_pauseTimer.stop();
    else if (gotData)
        m_pauseTimer.start();
}

void SimClient::scan(const char* data, qsizetype size)
{
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (!m_overlong) {
            m_line.append(data + pos, end - pos);
            if (m_line.size() > MaxLineLength) {
                m_line = QByteArray();
                m_overlong = true;
                enqueue(QByteArray(), true);
            }
        }
        if (end == size)
            break;
        // A line end: CR, LF and CR LF all end the command; the empty lines between are ignored.
        if (m_overlong)
            m_overlong = false;
        else if (!m_line.isEmpty())
            enqueue(std::exchange(m_line, QByteArray()), false);
        pos = end + 1;
    }
}

void SimClient::endPausedLine()
{
    if (m_overlong)
        m_overlong = false;
    else if (!m_line.isEmpty())
        enqueue(std::exchange(m_line, QByteArray()), false);
    pump();
}

void SimClient::enqueue(QByteArray line, bool overlong)
{
    if (m_options.verbose) {
        logLine(QStringLiteral("#%1 < %2")
                    .arg(m_id)
                    .arg(overlong ? QStringLiteral("(line longer than %1 bytes)").arg(MaxLineLength)
                                  : shownText(line)));
    }
    if (m_options.silent)
        return;
    m_queue.push_back({std::move(line), now() + m_options.replyDelayMs, overlong});
}

void SimClient::answerDue()
{
    while (!m_finishing && !m_queue.empty() && !congested()) {
        const qint64 wait = m_queue.front().due - now();
        if (wait > 0) {
            m_replyTimer.start(int(wait));
            return;
        }
        const Pending pending = std::move(m_queue.front());
        m_queue.pop_front();
        QByteArray reply =
            pending.overlong
                ? Instrument::errorReply("line longer than " + QByteArray::number(MaxLineLength) + " bytes")
                : m_instrument.execute(pending.line);
        if (m_options.noColon)
            reply.replace(':', '=');
        if (m_options.verbose)
            logLine(QStringLiteral("#%1 > %2").arg(m_id).arg(shownText(reply)));
        send(reply + "\r\n");
        if (m_options.closeAfter > 0 && ++m_answered >= m_options.closeAfter) {
            m_finishing = true;
            m_queue.clear();
            m_line = QByteArray();
            m_pauseTimer.stop();
        }
        if (m_socket->bytesAvailable() > 0)
            m_pumpAgain = true; // the queue has room again
    }
}

void SimClient::send(const QByteArray& bytes)
{
    if (m_options.chunk == 0) {
        m_socket->write(bytes);
        return;
    }
    if (m_unsentPos > 0 && m_unsentPos >= m_unsent.size() / 2) {
        m_unsent.remove(0, m_unsentPos);
        m_unsentPos = 0;
    }
    m_unsent += bytes;
    if (!m_chunkTimer.isActive())
        sendChunk();
}

void SimClient::sendChunk()
{
    const qsizetype size = qMin<qsizetype>(m_options.chunk, m_unsent.size() - m_unsentPos);
    m_socket->write(m_unsent.constData() + m_unsentPos, size);
    m_unsentPos += size;
    if (m_unsentPos < m_unsent.size()) {
        m_chunkTimer.start();
        return;
    }
    m_unsent.clear();
    m_unsentPos = 0;
    pump();
}

bool SimClient::congested() const
{
    return (m_unsent.size() - m_unsentPos) + m_socket->bytesToWrite() > MaxUnsent;
}

void SimClient::finishIfDone()
{
    if (!m_finishing || m_closeRequested || m_unsentPos < m_unsent.size())
        return;
    m_closeRequested = true;
    if (m_options.verbose)
        logLine(QStringLiteral("#%1 closing after %2 commands").arg(m_id).arg(m_answered));
    m_socket->disconnectFromHost(); // writes what is still buffered first
}

} // namespace sim
