// Responsiveness under a flood: a server on 127.0.0.1 sends replies as fast as loopback carries
// them while the session logs every chunk, without a window. A 10 ms timer in the event loop records the
// longest gap between two of its ticks; the traffic log's memory per row is measured beside it. Targets:
// longest gap under 100 ms; at most 200 bytes per row beyond the row's own text.
#include "CommandSession.h"
#include "Journal.h"
#include "TrafficLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int floodSeconds = 10;
constexpr int warmUpSeconds = 3;
constexpr qint64 gapTargetMs = 100;
constexpr qint64 journalGapTargetMs = 50;
constexpr double rowTargetBytes = 200;

// Resident memory, after handing freed heap memory back, so that what remains is what is held.
qint64 residentBytes()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

// Accepts one client and writes to it without pause until told to stop.
class FloodServer
{
public:
    FloodServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 1) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::perror("flood server");
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~FloodServer()
    {
        m_stop = true;
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }
    void start() { m_flooding = true; }
    void stop() { m_stop = true; }
    qint64 sent() const { return m_sent; }

private:
    void serve()
    {
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0)
            return;
        QByteArray block;
        while (block.size() < 4096)
            block += "GM:1\r\n";
        while (!m_stop) {
            if (!m_flooding) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            const ssize_t written = ::send(client, block.constData(), size_t(block.size()), MSG_NOSIGNAL);
            if (written <= 0)
                break;
            m_sent += written;
        }
        ::close(client);
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_flooding{false};
    std::atomic<qint64> m_sent{0};
};

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    FloodServer server;
    CommandSession session;
    // With --journal every row also goes to a journal, as in the window by default. Its queue may
    // hold rows while the disk is slower than the flood, so only the gap counts then.
    const bool journalled = argc > 1 && QByteArray(argv[1]) == "--journal";
    QTemporaryDir journalFolder;
    Journal journal(journalFolder.filePath(QStringLiteral("Logs")));
    if (journalled)
        session.SetJournal(&journal);
    session.SetTarget(QStringLiteral("127.0.0.1"), QString::number(server.port()));
    session.SetConnectWanted(true);
    session.ConnectIfWanted();
    runFor(500);

    qint64 longestGapMs = 0;
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setInterval(10);
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });

    const TrafficLog* log = session.Log();
    const auto textBytes = [log](int fromRow) {
        qint64 bytes = 0;
        for (int row = fromRow; row < log->rowCount(); ++row)
            bytes += log->RowText(row).toUtf8().size();
        return bytes;
    };

    server.start();
    sinceTick.start();
    ticks.start();
    // Memory is compared between a point after the first seconds, when caches and buffers have
    // reached their size, and the end: what the rows in between cost.
    runFor(warmUpSeconds * 1000);
    const int rowsBefore = log->rowCount();
    const qint64 memoryBefore = residentBytes();
    runFor((floodSeconds - warmUpSeconds) * 1000);
    ticks.stop();
    server.stop();
    const int rows = log->rowCount();
    const qint64 memoryAfter = residentBytes();
    runFor(200);

    const int measuredRows = rows - rowsBefore;
    const qint64 measuredText = textBytes(rowsBefore) - (log->rowCount() > rows ? textBytes(rows) : 0);
    const double perRow = measuredRows > 0 ? double(memoryAfter - memoryBefore) / measuredRows : 0;
    const double overheadPerRow =
        measuredRows > 0 ? double(memoryAfter - memoryBefore - measuredText) / measuredRows : 0;

    std::printf("flood: %d s, %.1f MB sent, %d rows logged (%.0f rows/s)\n", floodSeconds,
                double(server.sent()) / 1e6, rows, rows / double(floodSeconds));
    const qint64 gapTarget = journalled ? journalGapTargetMs : gapTargetMs;
    std::printf("longest gap between 10 ms ticks while flooded%s: %lld ms (target < %lld ms)\n",
                journalled ? ", journal on" : "", static_cast<long long>(longestGapMs),
                static_cast<long long>(gapTarget));
    if (journalled) {
        const bool met = longestGapMs < gapTarget && !journal.Failed();
        std::printf("%s\n", met ? "targets met" : "TARGET MISSED");
        return met ? 0 : 1;
    }
    std::printf("memory per row: %.0f bytes with its text, %.0f bytes beyond the text (target <= %.0f)\n",
                perRow, overheadPerRow, rowTargetBytes);
    const bool met = longestGapMs < gapTargetMs && overheadPerRow <= rowTargetBytes;
    std::printf("%s\n", met ? "targets met" : "TARGET MISSED");
    return met ? 0 : 1;
}
