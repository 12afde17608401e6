// The eight quick-dial memories as records: a script, a label, a note and a repeat flag each, and
// the caption and tooltip that the memory's button shows. The main window derives its display
// from these records and follows their changed signal.
#pragma once

#include "ScriptModel.h"

#include <QObject>
#include <QString>

#include <array>

class QuickDialMemories : public QObject
{
    Q_OBJECT
public:
    static constexpr int Count = 8;

    explicit QuickDialMemories(QObject* parent = nullptr);

    // Memories are numbered 1..8.
    ScriptModel* entries(int n) const { return at(n).entries; }
    QString label(int n) const { return at(n).label; }
    QString note(int n) const { return at(n).note; }
    // Ticked when not 0; a value other than 0 and 1 from a file is kept until the box is changed.
    int repeat(int n) const { return at(n).repeat; }
    QString buttonCaption(int n) const;
    QString buttonToolTip(int n) const;

    void setEntries(int n, const QList<ScriptEntry>& entries);
    void setLabel(int n, const QString& label);
    void setNote(int n, const QString& note);
    void setRepeat(int n, int repeat);
    // The memory button of a used memory: the first 10 characters of the label and "...", with
    // text 3027 and the whole label as tooltip. The text is taken in the language of this moment
    // and stays so until the memory is shown anew.
    void showAsUsed(int n);
    // The memory button of an empty memory: text 3102, no tooltip.
    void showAsEmpty(int n);

    // The editor's script stored into memory n; its repeat flag stays.
    void store(int n, const QString& label, const QString& note, const QList<ScriptEntry>& entries);
    // Memory n deleted: no entries, no label, no note; its repeat flag stays.
    void erase(int n);

signals:
    void changed(int n);

private:
    struct Memory
    {
        ScriptModel* entries = nullptr;
        QString label;
        QString note;
        int repeat = 0;
        // How the button shows the memory, and its text 3027 or 3102 as it read then. The caption
        // and tooltip are built when asked for: a set load shows all eight memories anew.
        bool shownUsed = false;
        QString buttonText;
    };
    void show(int n, bool used, int textId);

    const Memory& at(int n) const { return m_memories.at(size_t(n - 1)); }
    Memory& at(int n) { return m_memories.at(size_t(n - 1)); }

    std::array<Memory, Count> m_memories;
};
