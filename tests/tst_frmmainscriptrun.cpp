// Script runs of the real main window against a server on 127.0.0.1 that the test plays: pacing,
// waits, repetition, cancel, the function keys, the controls a run disables, a close during a run.
#include "CommandSession.h"
#include "LoopbackServer.h"
#include "QuickDialMemories.h"
#include "ScriptModel.h"
#include "TrafficLog.h"
#include "WidgetSupport.h"
#include "frmMain.h"

#include <QtTest>

#include <functional>
#include <memory>

class tst_frmMainScriptRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_data = std::make_unique<TempDataFolder>();
        m_server = std::make_unique<LoopbackServer>();
        m_data->writeSetup({{"Connect", "1"},
                            {"Port", m_server->portText()},
                            {"Name", "127.0.0.1"},
                            {"AppendCrLf", "1"},
                            {"SelTab", "3"}});
        m_window = std::make_unique<frmMain>();
        m_window->show();
        m_client = m_server->nextClient(10000);
        QVERIFY(m_client);
        // Keeps every line in order, runs the test's actions at the trigger line, then answers.
        connect(m_client, &QTcpSocket::readyRead, this, [this] {
            while (m_client->canReadLine()) {
                const QString line = QString::fromLatin1(m_client->readLine()).chopped(2);
                m_lines.append(line);
                if (m_lines.size() == m_trigger && m_atTrigger)
                    m_atTrigger();
                if (m_answer == ":" ||
                    (m_answer.startsWith(u'-') && m_answer != "-" && m_answer.mid(1) != line))
                    m_client->write(line.toLatin1() + ":OK\r\n");
                else if (!m_answer.isEmpty())
                    m_client->write("1\r\n");
            }
        });
        QTRY_VERIFY_WITH_TIMEOUT(find<QPushButton>("cmdCommand1")->isEnabled(), 10000);
        m_watchdog.setSingleShot(true);
        connect(&m_watchdog, &QTimer::timeout, this, [this] { perform("cancel"); });
    }

    void init()
    {
        m_answer = ":";
        m_trigger = 0;
        // A reply left outstanding by the row before is answered now.
        if (m_window->Session()->AwaitingReply())
            m_client->write(":\r\n");
        QTRY_VERIFY(!m_window->Session()->AwaitingReply());
        m_window->Session()->ClearCancel();
        m_lines.clear();
        find<QTabWidget>("SSTab1")->setCurrentIndex(3);
        find<QCheckBox>("chkCommandRepeat1")->setChecked(false); // the only one a row ticks
        m_watchdog.start(15000);
    }

    void cleanup()
    {
        QVERIFY2(m_watchdog.isActive(), "a run had to be cancelled");
        m_watchdog.stop();
        QTRY_VERIFY(!m_window->scriptBusy);
    }

    // The operator's own wait is not cut short by the cancel of the run before.
    void typedWaitAfterCancelledRun()
    {
        m_answer.clear();
        startRun("memory", "SP 1;SP 2", "100 cancel");
        QVERIFY(m_window->Session()->CancelRequested());
        bool returned = false;
        bool waitingAfter300ms = false;
        after(300, [&] { waitingAfter300ms = !returned; });
        type("<WAIT_TIME=1>");
        returned = true;
        QTRY_VERIFY(waitingAfter300ms);
    }

    // Last: its last row closes the window.
    void run_data()
    {
        columns<QString, QString, QString, int, QString, QString, bool>(
            "start", "commands", "answer", "trigger", "act", "sent", "completed");
        const QString three = "SP 1;SP 2;SP 3";

        row("test run", "test", three, ":", 0, "", three, true);
        // The last command of a pass is never answered with a colon, and a cancel is left over from
        // before: each pass must start with both flags cleared, or it would hold or stop at once.
        row("repeat until cancel", "repeat", "SP 1;GM", "-GM", 5, "0 cancel", "SP 1;GM;SP 1;GM;SP 1", false);
        row("repeat until unticked", "repeat", "SP 1;GM", "-GM", 5, "0 untick", "SP 1;GM;SP 1;GM;SP 1;GM",
            true);
        // The key runs the memory once, whatever its repeat box says.
        row("F1 on the quick-dial tab", "F1 3 txtCommandDescript5", "GM;SP 1", ":", 0, "", "GM;SP 1", true);
        row("F1 from the tab strip", "F1 3 SSTab1", "GM;SP 1", ":", 0, "", "GM;SP 1", true);
        // Without a reply the timeout ends the run as a cancel does, and its repetition with it.
        row("repeat ended by the reply timeout", "timeout", "SP 1;SP 2", "-", 1, "", "SP 1", false);
        row("F1 on the editor tab", "F1 2 lstCommands", "GM;SP 1", ":", 0, "", "", false);
        // Held by the reply to SP 1, which never comes, until the cancel.
        for (const char* first : {"memory", "test"}) {
            for (const char* second : {"memory", "F2", "test"})
                row(qPrintable(QStringLiteral("%1 run, then %2").arg(first, second)), first, "SP 1;SP 9", "",
                    1, QStringLiteral("100 %1;300 cancel").arg(second), "SP 1", false);
        }
        // A reply outstanding from the command line holds a test run; a memory run starts at once.
        row("test run after a line typed", "GM test", "SP 1;SP 2", "-GM", 1, "300 reply",
            "GM;reply;SP 1;SP 2", true);
        row("memory run after a line typed", "GM memory", "SP 1;SP 2", "-GM", 3, "300 reply",
            "GM;SP 1;SP 2;reply", true);
        // Both before the run looks again: the line sent from the command line must not clear the
        // cancel, or the run would go on waiting.
        row("a line typed during a run keeps its cancel", "test", "SP 1;SP 2", "", 1, "100 cancel,type GM",
            "SP 1;GM", false);
        // A cancel would let the run send SP 2 after the wait; a closing window ends it where it is.
        row("window closed during a wait", "memory", "SP 1;<WAIT_TIME=30>;SP 2", ":", 1, "300 close", "SP 1",
            false);
    }

    void run()
    {
        QFETCH(QString, start);
        QFETCH(QString, commands);
        QFETCH(bool, completed);
        m_answer = fetch<QString>("answer");
        const int count = int(commands.count(u';')) + 1;
        auto* progress = find<QProgressBar>("prgProgress");
        auto* cancel = find<QPushButton>("cmdCancelCommandScript");
        bool seenDuringRun = false;
        m_atTrigger = nullptr;
        QObject watch;
        // At the first line: the progress bar, cancel, and the controls disabled by a memory run only.
        connect(m_client, &QTcpSocket::readyRead, &watch, [&] {
            if (!seenDuringRun)
                seenDuringRun = progress->isVisible() && progress->maximum() == count &&
                                cancel->isVisible() && m_window->scriptBusy &&
                                runControlsEnabled() == start.endsWith("test");
        });
        startRun(start, commands, fetch<QString>("act"), fetch<int>("trigger"));

        // The run does not wait for the reply to its last command.
        QTRY_COMPARE(m_lines.join(u';'), fetch<QString>("sent"));
        QCOMPARE(seenDuringRun, !m_lines.isEmpty());
        QCOMPARE(find<QLabel>("labCommandScriptCompleted")->isVisible(), completed);
        if (completed)
            QCOMPARE(progress->value(), count);
        QVERIFY(progress->isHidden() && cancel->isHidden() && runControlsEnabled());
        const TrafficLog* log = m_window->Session()->Log();
        QCOMPARE(log->RowMode(log->rowCount() - 1) == LogMode::Timeout, start == "timeout");
    }

private:
    bool runControlsEnabled()
    {
        return find<QPushButton>("cmdLoadConfig")->isEnabled() &&
               find<QTabWidget>("SSTab1")->isTabEnabled(0) && find<QPushButton>("cmdCommand8")->isEnabled();
    }

    void perform(const QString& whats)
    {
        for (const QString& what : whats.split(u',')) {
            if (what == "cancel")
                find<QPushButton>("cmdCancelCommandScript")->click();
            else if (what == "untick")
                find<QCheckBox>("chkCommandRepeat1")->setChecked(false);
            else if (what == "close")
                m_window->close();
            else if (what == "memory")
                m_window->ApplyMemory(2);
            else if (what == "F2")
                QTest::keyClick(find<QWidget>("txtCommandDescript2"), Qt::Key_F2);
            else if (what == "test")
                m_window->TestEditedScript();
            else if (what.startsWith("type "))
                type(what.mid(5));
            else if (what == "reply")
                m_client->write("GM:1\r\n"), m_lines.append(what);
        }
    }

    // Starts a run and returns once it has ended. start: "memory" (memory 1 by its run button),
    // "repeat" (the same with its repeat box ticked and a cancel left over), "test" (the edited
    // script), "F1 tab focus" (the key pressed with memory 1's repeat box ticked), or "GM memory" and
    // "GM test" (the same after GM was typed on the command line and awaits its reply). act: steps "ms
    // what,what" run ms after the trigger-th line arrives, or at once, before it is answered, for 0 ms.
    void startRun(const QString& start, const QString& commands, const QString& act = {}, int trigger = 1)
    {
        QList<ScriptEntry> script;
        for (const QString& command : commands.split(u';'))
            script.append({command, QString()});
        m_window->Memories->store(1, "Run", "note", script);
        m_window->Memories->store(2, "Two", "note", {{"SP 2", ""}});
        m_window->EditedScript()->replaceAll(script);
        m_trigger = trigger;
        m_atTrigger = [this, act] {
            for (const QString& step : act.split(u';', Qt::SkipEmptyParts)) {
                const int ms = step.section(u' ', 0, 0).toInt();
                const QString what = step.section(u' ', 1);
                if (ms == 0)
                    perform(what);
                else
                    after(ms, [this, what, sent = m_lines.size()] {
                        // Whatever the step does, the run has sent nothing since the trigger.
                        QCOMPARE(m_lines.size(), sent);
                        perform(what);
                    });
            }
        };
        if (start.startsWith("GM ")) {
            type("GM");
            QTRY_VERIFY(m_window->Session()->AwaitingReply() && m_lines.size() == 1);
        }
        if (start.endsWith("test")) {
            QTRY_VERIFY(find<QPushButton>("cmdCommandTest")->isEnabled());
            find<QPushButton>("cmdCommandTest")->click();
            return;
        }
        if (!start.endsWith("memory"))
            find<QCheckBox>("chkCommandRepeat1")->setChecked(true);
        find<QSpinBox>("spnReplyTimeout")->setValue(start == "timeout" ? 1 : 0);
        if (start == "repeat")
            m_window->Session()->RequestCancel();
        if (start.startsWith("F1")) {
            find<QTabWidget>("SSTab1")->setCurrentIndex(start.section(u' ', 1, 1).toInt());
            QTest::keyClick(find<QWidget>(qPrintable(start.section(u' ', 2))), Qt::Key_F1);
        } else {
            find<QPushButton>("cmdCommand1")->click();
        }
    }

    template <typename T> T* find(const char* name) { return control<T>(m_window.get(), name); }
    void after(int ms, std::function<void()> act) { QTimer::singleShot(ms, m_window.get(), std::move(act)); }
    void type(const QString& line)
    {
        find<QTabWidget>("SSTab1")->setCurrentIndex(1);
        find<QLineEdit>("txtSend")->setText(line);
        QTest::keyClick(find<QLineEdit>("txtSend"), Qt::Key_Return);
    }

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<frmMain> m_window;
    QTcpSocket* m_client = nullptr;
    QStringList m_lines;
    // How the instrument answers each line: ":" with a colon, "-" without, "" not at all, "-GM" GM
    // without a colon and the others with.
    QString m_answer;
    int m_trigger = 0;
    std::function<void()> m_atTrigger;
    // Cancels a run that does not end as it should, which would otherwise hold the test for good.
    QTimer m_watchdog;
};

QTEST_MAIN(tst_frmMainScriptRun)
#include "tst_frmmainscriptrun.moc"
