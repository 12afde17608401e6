// The traffic journal: every log row appended to a file on disk as it is logged, so that the
// traffic survives the window, a crash and a power loss. A writer thread does the disk work; the
// caller only hands rows over.
#pragma once

#include "LogRow.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class Journal : public QObject
{
    Q_OBJECT
public:
    // A file that passes this size is closed; the next row starts a new one.
    static constexpr qint64 DefaultRotateBytes = qint64(64) << 20;
    // Rows reach the operating system this soon, and the disk at least this often.
    static constexpr int FlushMs = 200;
    static constexpr int SyncMs = 5000;

    // Files go into folder (created when missing), named from the UTC time of their first row.
    explicit Journal(const QString& folder, qint64 rotateBytes = DefaultRotateBytes,
                     QObject* parent = nullptr);
    // Writes what is left and syncs it.
    ~Journal() override;

    void Append(const LogRow& row);
    // A "#" line, written before the next row when no file is open yet.
    void Comment(const QString& text);
    // Writes what is left, syncs and closes; nothing is written afterwards.
    void Close();

    bool Failed() const { return m_failed; }
    QString Folder() const { return m_folder; }
    // The file being written; empty before the first row.
    QString CurrentFile() const;

    // Deletes the oldest journals of folder while all of them together exceed keepBytes.
    static void Prune(const QString& folder, qint64 keepBytes);
    // "relaytab-YYYYMMDD-HHMMSS.log", then "-2", "-3" ... for a name already taken.
    static QString FileName(const QDateTime& firstRow, int attempt);
    // Whether journal a was begun before journal b, by their names.
    static bool Older(const QString& a, const QString& b);

signals:
    // Once, from the writer: the journal has stopped for this start.
    void failed(const QString& reason);

private:
    struct Entry
    {
        LogRow row;
        QByteArray comment; // a comment line when not empty
    };

    void enqueue(Entry&& entry);
    void writerLoop();
    bool openFile(const QDateTime& firstRow);
    bool writeAll(const QByteArray& bytes);
    void closeFile();
    void fail(const QString& reason);

    const QString m_folder;
    const qint64 m_rotateBytes;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Entry> m_queue;
    bool m_stop = false;

    // Writer's own state.
    int m_fd = -1;
    qint64 m_fileBytes = 0;
    QString m_currentFile;
    std::vector<QByteArray> m_heldComments;
    mutable std::mutex m_fileMutex;

    std::atomic<bool> m_failed{false};
    std::thread m_writer;
};
