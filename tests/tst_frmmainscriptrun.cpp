// Script runs of the real main window against a command server on 127.0.0.1 that the test plays:
// the order of the commands on the wire, pacing by replies, waits, repetition, cancel, the
// function keys, the controls a run disables, and a window closed during a run.
#include "LoopbackServer.h"
#include "QuickDialMemories.h"
#include "ScriptModel.h"
#include "TestSupport.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// The instrument's side: keeps every line that arrives, in order, and answers each as the test
// says (by default with a colon, which lets a run go on).
class Instrument : public QObject
{
public:
    explicit Instrument(QTcpSocket* client) : m_client(client)
    {
        connect(client, &QTcpSocket::readyRead, this, &Instrument::read);
    }

    void reply(const QByteArray& bytes)
    {
        m_client->write(bytes);
        m_client->flush();
    }

    QStringList lines;
    // Called for every line before it is answered.
    std::function<void(const QString&)> onLine;
    std::function<QByteArray(const QString&)> answer;

private:
    void read()
    {
        m_pending += m_client->readAll();
        qsizetype end;
        while ((end = m_pending.indexOf("\r\n")) >= 0) {
            const QString line = QString::fromLatin1(m_pending.left(end));
            m_pending.remove(0, end + 2);
            lines.append(line);
            if (onLine)
                onLine(line);
            if (answer)
                reply(answer(line));
        }
    }

    QTcpSocket* m_client;
    QByteArray m_pending;
};

QByteArray withColon(const QString& line)
{
    return line.toLatin1() + ":OK\r\n";
}

QList<ScriptEntry> script(const QStringList& commands)
{
    QList<ScriptEntry> entries;
    for (const QString& command : commands)
        entries.append({command, QString()});
    return entries;
}

QStringList numberedCommands(int count)
{
    QStringList commands;
    for (int i = 1; i <= count; ++i)
        commands.append(QStringLiteral("SP %1").arg(i));
    return commands;
}

} // namespace

class tst_frmMainScriptRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void commandsInOrder_data();
    void commandsInOrder();
    void replyWithoutColonHoldsRun_data();
    void replyWithoutColonHoldsRun();
    void repeat_data();
    void repeat();
    void waitInScript_data();
    void waitInScript();
    void functionKey_data();
    void functionKey();
    void outstandingReply_data();
    void outstandingReply();
    void secondStartTurnedAway_data();
    void secondStartTurnedAway();
    void typedWaitAfterCancelledRun();
    void lineTypedDuringRunKeepsCancel();
    // Last: it closes the window.
    void closingWindowEndsRun();

private:
    template <typename T> T* find(const char* name) { return control<T>(m_window.get(), name); }
    void after(int ms, std::function<void()> act) { QTimer::singleShot(ms, m_window.get(), std::move(act)); }
    // Starts a run of the kind and returns once it has ended.
    void start(const QString& kind, const QStringList& commands);
    void cancel() { find<QPushButton>("cmdCancelCommandScript")->click(); }
    bool runControlsEnabled();

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<Instrument> m_instrument;
    QTimer m_watchdog;
    bool m_watchdogFired = false;
};

void tst_frmMainScriptRun::initTestCase()
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
    QTcpSocket* client = m_server->nextClient(10000);
    QVERIFY(client);
    m_instrument = std::make_unique<Instrument>(client);
    QTRY_VERIFY_WITH_TIMEOUT(find<QPushButton>("cmdCommand1")->isEnabled(), 10000);

    // A run that does not end as it should would hold the test for good.
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(15000);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        m_watchdogFired = true;
        m_window->cancelRequested = true;
        cancel();
    });
}

void tst_frmMainScriptRun::init()
{
    m_instrument->lines.clear();
    m_instrument->onLine = nullptr;
    m_instrument->answer = withColon;
    m_window->awaitingReply = false;
    m_window->cancelRequested = false;
    find<QTabWidget>("SSTab1")->setCurrentIndex(3);
    for (int n = 1; n <= QuickDialMemories::Count; ++n)
        find<QCheckBox>(qPrintable(QStringLiteral("chkCommandRepeat%1").arg(n)))->setChecked(false);
    m_watchdogFired = false;
    m_watchdog.start();
}

void tst_frmMainScriptRun::cleanup()
{
    m_watchdog.stop();
    QVERIFY(!m_watchdogFired);
    // The test's handlers are gone with its locals; late lines belong to it, not to the next test.
    m_instrument->onLine = nullptr;
    m_instrument->answer = nullptr;
    QTest::qWait(50);
    QVERIFY(!m_window->scriptBusy);
}

void tst_frmMainScriptRun::cleanupTestCase()
{
    m_instrument.reset();
    m_window.reset();
    m_server.reset();
    m_data.reset();
}

void tst_frmMainScriptRun::start(const QString& kind, const QStringList& commands)
{
    if (kind == QLatin1String("test run")) {
        m_window->EditedScript()->replaceAll(script(commands));
        auto* test = find<QPushButton>("cmdCommandTest");
        QTRY_VERIFY(test->isEnabled());
        test->click();
    } else {
        m_window->Memories->store(1, QStringLiteral("Run"), QStringLiteral("note"), script(commands));
        find<QPushButton>("cmdCommand1")->click();
    }
}

bool tst_frmMainScriptRun::runControlsEnabled()
{
    auto* tabs = find<QTabWidget>("SSTab1");
    bool enabled =
        find<QPushButton>("cmdLoadConfig")->isEnabled() && find<QPushButton>("cmdSaveConfig")->isEnabled();
    for (int page = 0; page <= 2; ++page)
        enabled = enabled && tabs->isTabEnabled(page) && tabs->widget(page)->isEnabled();
    for (int n = 1; n <= QuickDialMemories::Count; ++n)
        enabled =
            enabled && find<QPushButton>(qPrintable(QStringLiteral("cmdCommand%1").arg(n)))->isEnabled();
    return enabled;
}

void tst_frmMainScriptRun::commandsInOrder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("disablesControls");
    QTest::newRow("memory run") << "memory run" << 3 << true;
    QTest::newRow("test run") << "test run" << 3 << false;
    // More than an 8-bit counter can hold: every command goes out, none is cut.
    QTest::newRow("memory run of 300") << "memory run" << 300 << true;
    QTest::newRow("test run of 300") << "test run" << 300 << false;
}

void tst_frmMainScriptRun::commandsInOrder()
{
    QFETCH(QString, kind);
    QFETCH(int, count);
    QFETCH(bool, disablesControls);
    const QStringList commands = numberedCommands(count);
    auto* progress = find<QProgressBar>("prgProgress");
    auto* cancelButton = find<QPushButton>("cmdCancelCommandScript");
    bool seenDuringRun = false;
    m_instrument->onLine = [&](const QString& line) {
        if (line != commands.first())
            return;
        seenDuringRun = progress->isVisible() && progress->maximum() == count && cancelButton->isVisible() &&
                        m_window->scriptBusy && runControlsEnabled() != disablesControls;
    };
    start(kind, commands);

    QVERIFY(seenDuringRun);
    // The run does not wait for the reply to its last command.
    QTRY_COMPARE(m_instrument->lines, commands);
    QCOMPARE(progress->value(), count);
    QVERIFY(find<QLabel>("labCommandScriptCompleted")->isVisible());
    QVERIFY(progress->isHidden());
    QVERIFY(cancelButton->isHidden());
    QVERIFY(runControlsEnabled());
    QCOMPARE(find<QLineEdit>("txtSend")->text(), commands.last());
}

void tst_frmMainScriptRun::replyWithoutColonHoldsRun_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("memory run") << "memory run";
    QTest::newRow("test run") << "test run";
}

void tst_frmMainScriptRun::replyWithoutColonHoldsRun()
{
    QFETCH(QString, kind);
    m_instrument->answer = [](const QString&) { return QByteArray("OK\r\n"); };
    qsizetype linesBeforeCancel = -1;
    m_instrument->onLine = [&](const QString& line) {
        if (line == QLatin1String("SP 1"))
            after(300, [&] {
                linesBeforeCancel = m_instrument->lines.size();
                cancel();
            });
    };
    start(kind, {"SP 1", "SP 2", "SP 3"});

    QCOMPARE(linesBeforeCancel, 1);
    QCOMPARE(m_instrument->lines, QStringList{"SP 1"});
    QVERIFY(find<QLabel>("labCommandScriptCompleted")->isHidden());
    QVERIFY(find<QProgressBar>("prgProgress")->isHidden());
    QVERIFY(find<QPushButton>("cmdCancelCommandScript")->isHidden());
    QVERIFY(runControlsEnabled());
}

void tst_frmMainScriptRun::repeat_data()
{
    QTest::addColumn<bool>("byCancel");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("until cancel") << true << QStringList{"SP 1", "GM", "SP 1", "GM", "SP 1"};
    QTest::newRow("until unticked") << false << QStringList{"SP 1", "GM", "SP 1", "GM", "SP 1", "GM"};
}

void tst_frmMainScriptRun::repeat()
{
    QFETCH(bool, byCancel);
    m_window->Memories->store(2, QStringLiteral("Poll"), QStringLiteral("note"), script({"SP 1", "GM"}));
    auto* repeatBox = find<QCheckBox>("chkCommandRepeat2");
    repeatBox->setChecked(true);
    // The last command of a pass is never answered with a colon, and a cancel is left over from
    // before: each pass must start with both flags cleared, or it would hold or stop at once.
    m_window->cancelRequested = true;
    m_instrument->answer = [](const QString& line) {
        return line == QLatin1String("GM") ? QByteArray("1\r\n") : withColon(line);
    };
    m_instrument->onLine = [&](const QString& line) {
        if (line != QLatin1String("SP 1") || m_instrument->lines.count(line) != 3)
            return;
        if (byCancel)
            cancel();
        else
            repeatBox->setChecked(false);
    };
    find<QPushButton>("cmdCommand2")->click();

    QTEST(m_instrument->lines, "sent");
    QCOMPARE(find<QLabel>("labCommandScriptCompleted")->isVisible(), !byCancel);
    QVERIFY(runControlsEnabled());
}

void tst_frmMainScriptRun::waitInScript_data()
{
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<bool>("cancelDuringWait");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<bool>("completed");
    QTest::newRow("full wait") << QStringList{"SP 1", "<WAIT_TIME=1>", "SP 2"} << false
                               << QStringList{"SP 1", "SP 2"} << true;
    // Cancel ends the wait early; the run sends the next command and stops awaiting its reply.
    QTest::newRow("cancelled wait") << QStringList{"SP 1", "<WAIT_TIME=30>", "SP 2", "SP 3"} << true
                                    << QStringList{"SP 1", "SP 2"} << false;
}

void tst_frmMainScriptRun::waitInScript()
{
    QFETCH(QStringList, commands);
    QFETCH(bool, cancelDuringWait);
    bool nextSentTooEarly = true;
    m_instrument->onLine = [&](const QString& line) {
        if (line != QLatin1String("SP 1"))
            return;
        after(400, [&] {
            nextSentTooEarly = m_instrument->lines.size() > 1;
            if (cancelDuringWait)
                cancel();
        });
    };
    start(QStringLiteral("memory run"), commands);

    QVERIFY(!nextSentTooEarly);
    QTEST(m_instrument->lines, "sent");
    QTEST(find<QLabel>("labCommandScriptCompleted")->isVisible(), "completed");
}

void tst_frmMainScriptRun::functionKey_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("F3 on the quick-dial tab")
        << 3 << "txtCommandDescript5" << int(Qt::Key_F3) << QStringList{"GM"};
    QTest::newRow("F3 from the tab strip") << 3 << "SSTab1" << int(Qt::Key_F3) << QStringList{"GM"};
    QTest::newRow("F3 on the editor tab") << 2 << "lstCommands" << int(Qt::Key_F3) << QStringList{};
    QTest::newRow("F3 on the general tab") << 0 << "txtPcName" << int(Qt::Key_F3) << QStringList{};
    QTest::newRow("F9 on the quick-dial tab")
        << 3 << "txtCommandDescript5" << int(Qt::Key_F9) << QStringList{};
}

void tst_frmMainScriptRun::functionKey()
{
    QFETCH(int, tab);
    QFETCH(QString, focus);
    QFETCH(int, key);
    m_window->Memories->store(3, QStringLiteral("Three"), QStringLiteral("note"), script({"GM"}));
    // The key runs the memory once, whatever its repeat box says.
    find<QCheckBox>("chkCommandRepeat3")->setChecked(true);
    find<QTabWidget>("SSTab1")->setCurrentIndex(tab);
    QTest::keyClick(find<QWidget>(qPrintable(focus)), Qt::Key(key));

    QTEST(m_instrument->lines, "sent");
    QCOMPARE(find<QLabel>("labCommandScriptCompleted")->isVisible(), !m_instrument->lines.isEmpty());
}

void tst_frmMainScriptRun::outstandingReply_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("test run waits for it") << "test run" << QStringList{"GM", "reply", "SP 1"};
    QTest::newRow("memory run starts at once") << "memory run" << QStringList{"GM", "SP 1", "reply"};
}

void tst_frmMainScriptRun::outstandingReply()
{
    QFETCH(QString, kind);
    QStringList events;
    m_instrument->answer = nullptr;
    m_instrument->onLine = [&](const QString& line) { events.append(line); };
    auto* txtSend = find<QLineEdit>("txtSend");
    find<QTabWidget>("SSTab1")->setCurrentIndex(1);
    txtSend->setText(QStringLiteral("GM"));
    QTest::keyClick(txtSend, Qt::Key_Return);
    QVERIFY(m_window->awaitingReply);
    QTRY_COMPARE(events.size(), 1);
    after(300, [&] {
        events.append(QStringLiteral("reply"));
        m_instrument->reply("GM:1\r\n");
    });
    start(kind, {"SP 1"});

    QTRY_COMPARE(events.size(), 3);
    QTEST(events, "events");
}

void tst_frmMainScriptRun::secondStartTurnedAway_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    for (const char* first : {"memory run", "test run"}) {
        for (const char* second : {"memory button", "F2", "test run"})
            QTest::addRow("%s, then %s", first, second) << first << second;
    }
}

void tst_frmMainScriptRun::secondStartTurnedAway()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    m_window->Memories->store(2, QStringLiteral("Two"), QStringLiteral("note"), script({"SP 2"}));
    m_instrument->answer = nullptr;
    m_instrument->onLine = [&](const QString& line) {
        if (line != QLatin1String("SP 1"))
            return;
        after(100, [&] {
            if (second == QLatin1String("memory button"))
                m_window->ApplyMemory(2);
            else if (second == QLatin1String("F2"))
                QTest::keyClick(find<QWidget>("txtCommandDescript2"), Qt::Key_F2);
            else
                m_window->TestEditedScript();
        });
        after(300, [&] { cancel(); });
    };
    // Held by the reply to SP 1, which never comes, until the cancel.
    start(first, {"SP 1", "SP 9"});

    QCOMPARE(m_instrument->lines, QStringList{"SP 1"});
}

void tst_frmMainScriptRun::typedWaitAfterCancelledRun()
{
    m_instrument->answer = nullptr;
    m_instrument->onLine = [&](const QString&) { after(100, [&] { cancel(); }); };
    start(QStringLiteral("memory run"), {"SP 1", "SP 2"});
    QVERIFY(m_window->cancelRequested);

    // The operator's own wait is not cut short by the cancel of the run before.
    find<QTabWidget>("SSTab1")->setCurrentIndex(1);
    auto* txtSend = find<QLineEdit>("txtSend");
    txtSend->setText(QStringLiteral("<WAIT_TIME=1>"));
    bool returned = false;
    bool waitingAfter300ms = false;
    after(300, [&] { waitingAfter300ms = !returned; });
    QTest::keyClick(txtSend, Qt::Key_Return);
    returned = true;
    QTRY_VERIFY(waitingAfter300ms);
}

void tst_frmMainScriptRun::lineTypedDuringRunKeepsCancel()
{
    m_instrument->answer = nullptr;
    find<QTabWidget>("SSTab1")->setCurrentIndex(1);
    auto* txtSend = find<QLineEdit>("txtSend");
    m_instrument->onLine = [&](const QString& line) {
        if (line != QLatin1String("SP 1"))
            return;
        // Both before the run looks again: the line sent from the command line must not clear the
        // cancel, or the run would go on waiting.
        after(100, [&] {
            cancel();
            txtSend->setText(QStringLiteral("GM"));
            QTest::keyClick(txtSend, Qt::Key_Return);
        });
    };
    start(QStringLiteral("test run"), {"SP 1", "SP 2"});

    QTRY_COMPARE(m_instrument->lines, (QStringList{"SP 1", "GM"}));
    QVERIFY(find<QLabel>("labCommandScriptCompleted")->isHidden());
}

void tst_frmMainScriptRun::closingWindowEndsRun()
{
    // A cancel would let the run send SP 2 after the wait; a closing window ends it where it is.
    m_instrument->onLine = [&](const QString& line) {
        if (line == QLatin1String("SP 1"))
            after(300, [&] { m_window->close(); });
    };
    start(QStringLiteral("memory run"), {"SP 1", "<WAIT_TIME=30>", "SP 2"});

    QVERIFY(!m_window->isVisible());
    QCOMPARE(m_instrument->lines, QStringList{"SP 1"});
    QVERIFY(find<QLabel>("labCommandScriptCompleted")->isHidden());
    // Written by the shutdown only.
    QCOMPARE(m_data->readSetup("Device"), QStringLiteral("0"));
}

QTEST_MAIN(tst_frmMainScriptRun)
#include "tst_frmmainscriptrun.moc"
