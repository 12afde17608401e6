// Answers the modal manual command dialog from inside its own event loop, as a user would.
#pragma once

#include "TestSupport.h"
#include "frmManualCommandEdit.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

// What the dialog showed when it came up.
struct ManualDialogSeen
{
    bool shown = false;
    QString command;
    QString description;
    QString frameCaption;
    QString title;
};

// Arms a timer that runs act on the dialog once it is the active modal widget. A dialog that act
// leaves open is closed, so that a failing test cannot hang; the timer dies with this object, so
// an answer for a dialog that never came cannot reach a later one.
class ManualDialogAnswer
{
public:
    using Act = std::function<void(frmManualCommandEdit*)>;

    explicit ManualDialogAnswer(Act act)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this, act = std::move(act)] {
            auto* dialog = qobject_cast<frmManualCommandEdit*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen.shown = true;
            seen.command = dialog->command();
            seen.description = dialog->description();
            seen.frameCaption = control<QGroupBox>(dialog, "frmFrame")->title();
            seen.title = dialog->windowTitle();
            act(dialog);
            if (dialog->isVisible()) {
                leftOpen = true;
                dialog->reject();
            }
        });
        m_timer.start(0);
    }

    ManualDialogSeen seen;
    bool leftOpen = false;

private:
    QTimer m_timer;
};

// Types text key by key; QTest::keyClicks takes ASCII only.
inline void typeText(QWidget* box, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(box, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Replaces the text of a box by typing, as a user does: select all, delete, type.
inline void retype(QWidget* box, const QString& text)
{
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    typeText(box, text);
}

// Types both texts into the dialog and presses OK.
inline ManualDialogAnswer::Act typeAndAccept(const QString& command, const QString& description)
{
    return [command, description](frmManualCommandEdit* dialog) {
        retype(control<QLineEdit>(dialog, "txtCommand"), command);
        retype(control<QPlainTextEdit>(dialog, "txtDescription"), description);
        QTest::mouseClick(control<QPushButton>(dialog, "cmdOk"), Qt::LeftButton);
    };
}
