#include "Journal.h"

#include "LogFormat.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace std::chrono;

Journal::Journal(const QString& folder, qint64 rotateBytes, QObject* parent)
    : QObject(parent), m_folder(QDir::cleanPath(folder) + u'/'), m_rotateBytes(rotateBytes)
{
    m_writer = std::thread([this] { writerLoop(); });
}

Journal::~Journal()
{
    Close();
}

void Journal::Append(const LogRow& row)
{
    enqueue({row, {}});
}

void Journal::Comment(const QString& text)
{
    enqueue({{}, LogFormat::JournalComment(text)});
}

void Journal::enqueue(Entry&& entry)
{
    if (m_failed)
        return;
    std::lock_guard lock(m_mutex);
    if (m_stop)
        return;
    m_queue.push_back(std::move(entry));
    // The writer sleeps while nothing is queued; one wake-up per batch is enough.
    if (m_queue.size() == 1)
        m_wake.notify_one();
}

void Journal::Close()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_writer.joinable())
        m_writer.join();
}

QString Journal::CurrentFile() const
{
    std::lock_guard lock(m_fileMutex);
    return m_currentFile;
}

QString Journal::FileName(const QDateTime& firstRow, int attempt)
{
    const QString stamp = firstRow.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString suffix = attempt > 1 ? QStringLiteral("-%1").arg(attempt) : QString();
    return QStringLiteral("relaytab-") + stamp + suffix + QStringLiteral(".log");
}

bool Journal::Older(const QString& a, const QString& b)
{
    // "relaytab-YYYYMMDD-HHMMSS" gives the time of the first row, a "-n" after it the order within
    // that second.
    constexpr int stampLength = 24;
    const auto number = [](const QString& name) {
        const QString rest = name.mid(stampLength).chopped(4);
        return rest.startsWith(u'-') ? rest.mid(1).toInt() : 1;
    };
    const int byStamp = a.left(stampLength).compare(b.left(stampLength));
    return byStamp != 0 ? byStamp < 0 : number(a) < number(b);
}

void Journal::Prune(const QString& folder, qint64 keepBytes)
{
    QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("relaytab-*.log")}, QDir::Files);
    std::sort(files.begin(), files.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return Older(a.fileName(), b.fileName()); });
    qint64 total = 0;
    for (const QFileInfo& file : files)
        total += file.size();
    for (const QFileInfo& file : files) {
        if (total <= keepBytes)
            break;
        if (QFile::remove(file.filePath()))
            total -= file.size();
    }
}

void Journal::writerLoop()
{
    auto lastSync = steady_clock::now();
    bool unsynced = false;
    std::vector<Entry> batch;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            // Idle until something comes, but sync written rows within SyncMs.
            const auto idle = [this] { return m_stop || !m_queue.empty(); };
            if (unsynced)
                m_wake.wait_until(lock, lastSync + milliseconds(SyncMs), idle);
            else
                m_wake.wait(lock, idle);
            // Rows that come in a stream are written in batches, at most FlushMs apart.
            if (!m_stop && !m_queue.empty())
                m_wake.wait_for(lock, milliseconds(FlushMs), [this] { return m_stop; });
            batch.swap(m_queue);
        }
        QByteArray bytes;
        for (const Entry& entry : batch) {
            if (m_failed)
                break;
            if (!entry.comment.isEmpty()) {
                if (m_fd < 0)
                    m_heldComments.push_back(entry.comment);
                else
                    bytes += entry.comment;
                continue;
            }
            if (m_fd < 0 && !openFile(entry.row.time))
                break;
            bytes += LogFormat::JournalLine(entry.row);
            if (m_fileBytes + bytes.size() > m_rotateBytes) {
                if (!writeAll(bytes))
                    break;
                bytes.clear();
                closeFile();
            }
        }
        batch.clear();
        if (!m_failed && !bytes.isEmpty() && writeAll(bytes))
            unsynced = true;
        const bool stopping = [this] {
            std::lock_guard lock(m_mutex);
            return m_stop && m_queue.empty();
        }();
        if (m_fd >= 0 && unsynced && (stopping || steady_clock::now() - lastSync >= milliseconds(SyncMs))) {
            if (::fsync(m_fd) != 0)
                fail(QString::fromLocal8Bit(std::strerror(errno)));
            lastSync = steady_clock::now();
            unsynced = false;
        }
        if (stopping || m_failed) {
            closeFile();
            return;
        }
    }
}

bool Journal::openFile(const QDateTime& firstRow)
{
    if (!QDir().mkpath(m_folder)) {
        fail(m_folder + QStringLiteral(": cannot create"));
        return false;
    }
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString path = m_folder + FileName(firstRow, attempt);
        // Never into another start's file.
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            fail(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        m_fd = fd;
        m_fileBytes = 0;
        {
            std::lock_guard lock(m_fileMutex);
            m_currentFile = path;
        }
        QByteArray head = LogFormat::JournalHeader();
        for (const QByteArray& comment : m_heldComments)
            head += comment;
        m_heldComments.clear();
        return writeAll(head);
    }
    fail(m_folder + QStringLiteral(": no free file name"));
    return false;
}

bool Journal::writeAll(const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            fail(QStringLiteral("%1: %2").arg(CurrentFile(), QString::fromLocal8Bit(std::strerror(errno))));
            return false;
        }
        data += written;
        left -= written;
        m_fileBytes += written;
    }
    return true;
}

void Journal::closeFile()
{
    if (m_fd < 0)
        return;
    ::fsync(m_fd);
    ::close(m_fd);
    m_fd = -1;
}

void Journal::fail(const QString& reason)
{
    if (m_failed.exchange(true))
        return;
    emit failed(reason);
}
