#include "ManualDialogAnswer.h"
#include "TestSupport.h"
#include "frmManualCommandEdit.h"
#include "modGlobal.h"
#include "modTools.h"

#include <QLabel>
#include <QtTest>

class tst_FrmManualCommandEdit : public QObject
{
    Q_OBJECT
private slots:
    void handsBack_data();
    void handsBack();
    void enterInDescriptionMakesNewLine();
    void textsAndFocusOnShow_data();
    void textsAndFocusOnShow();
};

namespace {

const QString long80 = QString(80, u'L');
const QString typed64 = QString(64, u'x');
const QString typed65 = QString(65, u'x');

} // namespace

// placed: what the caller puts in; typed: what the user types behind it; how: the way the dialog
// is left.
void tst_FrmManualCommandEdit::handsBack_data()
{
    QTest::addColumn<QString>("placedCommand");
    QTest::addColumn<QString>("placedDescription");
    QTest::addColumn<QString>("typedCommand");
    QTest::addColumn<QString>("typedDescription");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expectedCommand");
    QTest::addColumn<QString>("expectedDescription");

    QTest::newRow("OK keeps what was typed") << ""
                                             << ""
                                             << "GM"
                                             << "Gerätemodus"
                                             << "ok"
                                             << "GM"
                                             << "Gerätemodus";
    QTest::newRow("Enter in the command box is OK") << ""
                                                    << ""
                                                    << "SM 1"
                                                    << "Start"
                                                    << "enter"
                                                    << "SM 1"
                                                    << "Start";
    QTest::newRow("OK with nothing typed") << ""
                                           << ""
                                           << ""
                                           << ""
                                           << "ok"
                                           << ""
                                           << "";
    QTest::newRow("Cancel empties both") << ""
                                         << ""
                                         << "GM"
                                         << "typed"
                                         << "cancel"
                                         << ""
                                         << "";
    QTest::newRow("Esc empties both") << "SM 0"
                                      << "stop"
                                      << "1"
                                      << "more"
                                      << "esc"
                                      << ""
                                      << "";
    QTest::newRow("close box leaves both empty") << "SM 0"
                                                 << "stop"
                                                 << ""
                                                 << ""
                                                 << "close"
                                                 << ""
                                                 << "";
    QTest::newRow("placed texts come back unchanged") << "SM 0"
                                                      << "stop"
                                                      << ""
                                                      << ""
                                                      << "ok"
                                                      << "SM 0"
                                                      << "stop";
    QTest::newRow("64 characters typed") << ""
                                         << "" << typed64 << ""
                                         << "ok" << typed64 << "";
    QTest::newRow("the 65th is refused") << ""
                                         << "" << typed65 << ""
                                         << "ok" << typed64 << "";
    QTest::newRow("a longer placed command comes back whole") << long80 << ""
                                                              << ""
                                                              << ""
                                                              << "ok" << long80 << "";
    QTest::newRow("nothing can be typed onto a longer placed command") << long80 << ""
                                                                       << "X"
                                                                       << ""
                                                                       << "ok" << long80 << "";
    QTest::newRow("description of 128 characters") << ""
                                                   << ""
                                                   << "C" << QString(128, u'd') << "ok"
                                                   << "C" << QString(128, u'd');
    QTest::newRow("the 129th description character is refused") << ""
                                                                << ""
                                                                << "C" << QString(129, u'd') << "ok"
                                                                << "C" << QString(128, u'd');
    QTest::newRow("a longer placed description comes back whole") << "C" << QString(200, u'p') << ""
                                                                  << ""
                                                                  << "ok"
                                                                  << "C" << QString(200, u'p');
}

void tst_FrmManualCommandEdit::handsBack()
{
    QFETCH(QString, placedCommand);
    QFETCH(QString, placedDescription);
    QFETCH(QString, typedCommand);
    QFETCH(QString, typedDescription);
    QFETCH(QString, how);
    QFETCH(QString, expectedCommand);
    QFETCH(QString, expectedDescription);

    frmManualCommandEdit dialog(nullptr);
    dialog.setCommand(placedCommand);
    dialog.SetDescription(placedDescription);
    bool visibleAfterAnswer = true;
    ManualDialogAnswer answer([&](frmManualCommandEdit* shown) {
        auto* command = control<QLineEdit>(shown, "txtCommand");
        auto* description = control<QPlainTextEdit>(shown, "txtDescription");
        typeText(command, typedCommand);
        description->moveCursor(QTextCursor::End);
        typeText(description, typedDescription);
        if (how == QLatin1String("ok"))
            QTest::mouseClick(control<QPushButton>(shown, "cmdOk"), Qt::LeftButton);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(command, Qt::Key_Return);
        else if (how == QLatin1String("cancel"))
            QTest::mouseClick(control<QPushButton>(shown, "cmdCancel"), Qt::LeftButton);
        else if (how == QLatin1String("esc"))
            QTest::keyClick(description, Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            shown->close();
        visibleAfterAnswer = shown->isVisible();
    });
    dialog.exec();

    QVERIFY(answer.seen.shown);
    QCOMPARE(answer.seen.command, placedCommand);
    QVERIFY(!visibleAfterAnswer);
    QCOMPARE(dialog.command(), expectedCommand);
    QCOMPARE(dialog.description(), expectedDescription);
}

void tst_FrmManualCommandEdit::enterInDescriptionMakesNewLine()
{
    frmManualCommandEdit dialog(nullptr);
    bool visibleAfterEnter = false;
    ManualDialogAnswer answer([&](frmManualCommandEdit* shown) {
        auto* description = control<QPlainTextEdit>(shown, "txtDescription");
        typeText(control<QLineEdit>(shown, "txtCommand"), QStringLiteral("GM"));
        typeText(description, QStringLiteral("first"));
        QTest::keyClick(description, Qt::Key_Return);
        typeText(description, QStringLiteral("second"));
        visibleAfterEnter = shown->isVisible();
        QTest::mouseClick(control<QPushButton>(shown, "cmdOk"), Qt::LeftButton);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));

    QVERIFY(visibleAfterEnter);
    QCOMPARE(dialog.command(), QStringLiteral("GM"));
    QCOMPARE(dialog.description(), QStringLiteral("first\nsecond"));
}

void tst_FrmManualCommandEdit::textsAndFocusOnShow_data()
{
    QTest::addColumn<int>("languageOffset");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("German") << 0 << QStringList{"Befehl", "Beschreibung", "Übernehmen", "Abbrechen"};
    QTest::newRow("English") << 10000 << QStringList{"Command", "Description", "Accept", "Cancel"};
}

void tst_FrmManualCommandEdit::textsAndFocusOnShow()
{
    QFETCH(int, languageOffset);
    QFETCH(QStringList, expected);

    modGlobal::LanguageOffset = languageOffset;
    frmManualCommandEdit dialog(nullptr);
    QStringList shownTexts;
    QWidget* focused = nullptr;
    ManualDialogAnswer answer([&](frmManualCommandEdit* shown) {
        for (const char* name : {"labCommand", "labDescription"})
            shownTexts.append(control<QLabel>(shown, name)->text());
        for (const char* name : {"cmdOk", "cmdCancel"})
            shownTexts.append(control<QPushButton>(shown, name)->text());
        focused = shown->focusWidget();
        typeText(focused, QStringLiteral("typed"));
        QTest::mouseClick(control<QPushButton>(shown, "cmdOk"), Qt::LeftButton);
    });
    dialog.exec();
    modGlobal::LanguageOffset = 0;

    QCOMPARE(shownTexts, expected);
    QCOMPARE(focused, dialog.findChild<QLineEdit*>(QStringLiteral("txtCommand")));
    QCOMPARE(dialog.command(), QStringLiteral("typed"));
}

QTEST_MAIN(tst_FrmManualCommandEdit)
#include "tst_frmmanualcommandedit.moc"
