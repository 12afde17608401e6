// The command line tab of the real main window against a server on 127.0.0.1: connection states,
// bytes on the wire, waits, replies, the traffic log and the enabling of the buttons.
#include "LoopbackServer.h"
#include "ScriptModel.h"
#include "TestSupport.h"
#include "TrafficLog.h"
#include "TrafficLogProxy.h"
#include "Winsock.h"
#include "frmMain.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(ConnectionState)

class tst_frmMainCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    // In this order: the window starts unconnected, is connected, and is left refused and unticked.
    void lineSentWhileNotConnectedIsGreyed();
    void connectionStates();
    void bytesOnTheWire_data();
    void bytesOnTheWire();
    void waitSendsNothing_data();
    void waitSendsNothing();
    void waitKeepsEventsFlowing();
    void commandLineSendClearsCancel_data();
    void commandLineSendClearsCancel();
    void replies_data();
    void replies();
    void replyInTwoPieces();
    void buttonEnabling_data();
    void buttonEnabling();
    void deleteList();
    void timestampFromTheClock();
    void headersFollowLanguage();
    void refusedThenUnticked();

private:
    QTcpSocket* ensureConnected();
    void send(const QString& text);
    QString cell(int row, int column) const;
    int rows() const { return m_window->trafficLog()->rowCount(); }
    bool lastRowShown() const;
    template <typename T> T* find(const char* name) { return control<T>(m_window.get(), name); }
    QString state() { return find<QLabel>("labState")->text(); }
    QColor stateColour() { return find<QLabel>("labState")->palette().color(QPalette::WindowText); }

    std::unique_ptr<TempDataFolder> m_data;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<QAbstractItemModelTester> m_modelTester;
    QTcpSocket* m_client = nullptr;
};

void tst_frmMainCommandLine::initTestCase()
{
    qRegisterMetaType<ConnectionState>();
    m_data = std::make_unique<TempDataFolder>();
    m_server = std::make_unique<LoopbackServer>();
    m_data->writeSetup({{"Connect", QStringLiteral("0")},
                        {"Port", m_server->portText()},
                        {"Name", QStringLiteral("127.0.0.1")},
                        {"SelTab", QStringLiteral("1")}});
    m_window = std::make_unique<frmMain>();
    m_window->resize(800, 600);
    // Every change of what lsvMsg is shown must keep the rules of Qt's models.
    m_modelTester = std::make_unique<QAbstractItemModelTester>(
        find<QTableView>("lsvMsg")->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_frmMainCommandLine::cleanupTestCase()
{
    m_modelTester.reset();
    m_window.reset();
    m_server.reset();
    m_data.reset();
}

QTcpSocket* tst_frmMainCommandLine::ensureConnected()
{
    if (!find<QCheckBox>("chkConnect")->isChecked())
        find<QCheckBox>("chkConnect")->click();
    if (!m_client || m_client->state() != QAbstractSocket::ConnectedState)
        m_client = m_server->nextClient();
    [&] { QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Verbunden."), 5000); }();
    if (m_client)
        m_client->readAll();
    m_window->awaitingReply = false;
    m_window->cancelRequested = false;
    return m_client;
}

void tst_frmMainCommandLine::send(const QString& text)
{
    auto* txtSend = find<QLineEdit>("txtSend");
    txtSend->setText(text);
    QTest::keyClick(txtSend, Qt::Key_Return);
}

QString tst_frmMainCommandLine::cell(int row, int column) const
{
    const TrafficLog* log = m_window->trafficLog();
    return log->index(row, column).data().toString();
}

bool tst_frmMainCommandLine::lastRowShown() const
{
    // The last row of the log, not only the last the view knows of.
    auto* view = control<QTableView>(m_window.get(), "lsvMsg");
    const int last = rows() - 1;
    const QModelIndex current = view->selectionModel()->currentIndex();
    return current.row() == last && view->selectionModel()->isRowSelected(last) &&
           view->viewport()->rect().intersects(view->visualRect(current));
}

void tst_frmMainCommandLine::lineSentWhileNotConnectedIsGreyed()
{
    QTRY_COMPARE(state(), QStringLiteral("Zustand: Port geschlossen."));
    send(QStringLiteral("ABC"));
    QCOMPARE(cell(rows() - 1, TrafficLog::ModeColumn), QStringLiteral("Set"));
    QCOMPARE(cell(rows() - 1, TrafficLog::ParameterColumn), QStringLiteral("ABC"));
    QVERIFY(!m_window->awaitingReply);

    // The view takes in new rows within a screen frame.
    const QAbstractItemModel* shown = find<QTableView>("lsvMsg")->model();
    QTRY_COMPARE(shown->rowCount(), rows());
    for (int column = 0; column < 3; ++column) {
        const QModelIndex index = shown->index(rows() - 1, column);
        QCOMPARE(index.data(Qt::ToolTipRole).toString(), TrafficLogProxy::NotTransmittedText());
        QCOMPARE(index.data(Qt::ForegroundRole).value<QBrush>().color(),
                 QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text));
    }
    QVERIFY(!TrafficLogProxy::NotTransmittedText().isEmpty());
    QTRY_VERIFY(lastRowShown());
}

void tst_frmMainCommandLine::connectionStates()
{
    auto* txtSend = find<QLineEdit>("txtSend");
    txtSend->setText(QStringLiteral("GM"));
    QTRY_COMPARE(state(), QStringLiteral("Zustand: Port geschlossen."));
    QCOMPARE(stateColour(), QColor(Qt::black));
    QTRY_VERIFY(!find<QPushButton>("cmdSend")->isEnabled());
    QVERIFY(!find<QPushButton>("cmdCommand1")->isEnabled());

    auto* socket = m_window->findChild<Winsock*>(QStringLiteral("Winsock1"));
    QVERIFY(socket);
    QSignalSpy states(socket, &Winsock::StateChanged);
    QVERIFY(states.isValid());

    find<QCheckBox>("chkConnect")->click();
    QVERIFY(m_window->connectWanted);
    m_client = m_server->nextClient();
    QVERIFY(m_client);
    QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Verbunden."), 5000);
    QCOMPARE(stateColour(), QColor(0, 255, 0));
    QTRY_VERIFY(find<QPushButton>("cmdSend")->isEnabled());
    for (int n = 1; n <= 8; ++n)
        QVERIFY(find<QPushButton>(qPrintable(QStringLiteral("cmdCommand%1").arg(n)))->isEnabled());

    // The peer closes: Closing until the next tick closes the socket and connects again.
    states.clear();
    m_client->disconnectFromHost();
    m_client = m_server->nextClient();
    QVERIFY(m_client);
    QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Verbunden."), 5000);
    QList<ConnectionState> seen;
    for (const auto& args : states)
        seen.append(args.at(0).value<ConnectionState>());
    QCOMPARE(seen.first(), ConnectionState::Closing);
    QVERIFY(seen.contains(ConnectionState::Closed));
    QCOMPARE(seen.last(), ConnectionState::Connected);
    QVERIFY(find<QPushButton>("cmdCommand8")->isEnabled());
}

void tst_frmMainCommandLine::bytesOnTheWire_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("appendCrLf");
    QTest::addColumn<int>("device");
    QTest::addColumn<bool>("byButton");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ABC with CR LF") << "ABC" << true << 0 << true << QByteArray("ABC\r\n") << "ABC<CR><LF>";
    QTest::newRow("A, CR, B without") << "A<CR>B" << false << 0 << false << QByteArray("A\rB") << "A<CR>B";
    QTest::newRow("lower-case markers as typed")
        << "A<cr>B<lf>" << false << 1 << false << QByteArray("A<cr>B<lf>") << "A<cr>B<lf>";
    QTest::newRow("device type 2 forces CR LF")
        << "GM" << false << 2 << true << QByteArray("GM\r\n") << "GM<CR><LF>";
    QTest::newRow("typed markers and CR LF")
        << "A<CR><LF>" << true << 3 << false << QByteArray("A\r\n\r\n") << "A<CR><LF><CR><LF>";
    QTest::newRow("empty line") << "" << true << 0 << false << QByteArray("\r\n") << "<CR><LF>";
    QTest::newRow("umlaut as one byte") << "SN Ä" << false << 0 << false << QByteArray("SN \xC4") << "SN Ä";
}

void tst_frmMainCommandLine::bytesOnTheWire()
{
    QFETCH(QString, text);
    QFETCH(bool, appendCrLf);
    QFETCH(int, device);
    QFETCH(bool, byButton);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);

    QTcpSocket* client = ensureConnected();
    QVERIFY(client);
    find<QComboBox>("cboDevice")->setCurrentIndex(device);
    find<QCheckBox>("chkAppendCrLf")->setChecked(appendCrLf);
    if (byButton) {
        find<QLineEdit>("txtSend")->setText(text);
        QTest::mouseClick(find<QPushButton>("cmdSend"), Qt::LeftButton);
    } else {
        send(text);
    }

    QCOMPARE(LoopbackServer::read(client, bytes.size()), bytes);
    QTest::qWait(50);
    QCOMPARE(client->readAll(), QByteArray());
    const int last = rows() - 1;
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d$"))
                .match(cell(last, TrafficLog::TimeColumn))
                .hasMatch());
    QCOMPARE(cell(last, TrafficLog::ModeColumn), QStringLiteral("Set"));
    QCOMPARE(cell(last, TrafficLog::ParameterColumn), shown);
    QVERIFY(m_window->awaitingReply);
    QVERIFY(find<QPushButton>("cmdDeleteList")->isEnabled());
    QTRY_VERIFY(lastRowShown());
    QVERIFY(find<QTableView>("lsvMsg")->model()->index(last, 2).data(Qt::ToolTipRole).isNull());
    find<QComboBox>("cboDevice")->setCurrentIndex(0);
}

void tst_frmMainCommandLine::waitSendsNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("awaiting");
    QTest::addColumn<QString>("shown");
    QTest::newRow("2 s, no reply awaited") << "<WAIT_TIME=2>" << false << "2 Sekunde(n)";
    QTest::newRow("2 s, reply awaited") << "<WAIT_TIME=2>" << true << "2 Sekunde(n)";
    QTest::newRow("no number") << "<WAIT_TIME>" << true << " Sekunde(n)";
}

void tst_frmMainCommandLine::waitSendsNothing()
{
    QFETCH(QString, text);
    QFETCH(bool, awaiting);
    QFETCH(QString, shown);

    QTcpSocket* client = ensureConnected();
    QVERIFY(client);
    find<QCheckBox>("chkAppendCrLf")->setChecked(true);
    m_window->awaitingReply = awaiting;
    const int before = rows();
    send(text);

    QCOMPARE(rows(), before + 1);
    QCOMPARE(cell(before, TrafficLog::ModeColumn), QStringLiteral("Wait"));
    QCOMPARE(cell(before, TrafficLog::ParameterColumn), shown);
    QCOMPARE(m_window->awaitingReply, awaiting);
    QTest::qWait(100);
    QCOMPARE(client->readAll(), QByteArray());
    QTRY_VERIFY(lastRowShown());
}

void tst_frmMainCommandLine::waitKeepsEventsFlowing()
{
    QTcpSocket* client = ensureConnected();
    QVERIFY(client);
    const int before = rows();
    // A reply that comes during the wait is logged at once; the test then cancels the wait.
    QTimer::singleShot(0, client, [client] { client->write("X:1\r\n"); });
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (rows() > before + 1)
            m_window->cancelRequested = true;
    });
    watcher.start(20);
    find<QLineEdit>("txtSend")->setText(QStringLiteral("<WAIT_TIME=2000000>"));
    m_window->SendCommandLine();

    QCOMPARE(rows(), before + 2);
    QCOMPARE(cell(before, TrafficLog::ModeColumn), QStringLiteral("Wait"));
    QCOMPARE(cell(before + 1, TrafficLog::ModeColumn), QStringLiteral("Get"));
    QCOMPARE(cell(before + 1, TrafficLog::ParameterColumn), QStringLiteral("X:1<CR><LF>"));
}

void tst_frmMainCommandLine::commandLineSendClearsCancel_data()
{
    QTest::addColumn<int>("way"); // 0 Enter, 1 cmdSend, 2 SendCommandLine as a run calls it
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("cancelAfter");
    QTest::newRow("Enter while idle") << 0 << false << false;
    QTest::newRow("cmdSend while idle") << 1 << false << false;
    QTest::newRow("Enter during a run") << 0 << true << true;
    QTest::newRow("the runner's own send") << 2 << false << true;
}

void tst_frmMainCommandLine::commandLineSendClearsCancel()
{
    QFETCH(int, way);
    QFETCH(bool, busy);
    QFETCH(bool, cancelAfter);

    QVERIFY(ensureConnected());
    m_window->cancelRequested = true;
    m_window->scriptBusy = busy;
    auto* txtSend = find<QLineEdit>("txtSend");
    txtSend->setText(QStringLiteral("<WAIT_TIME=0.1>"));
    if (way == 0)
        QTest::keyClick(txtSend, Qt::Key_Return);
    else if (way == 1)
        QTest::mouseClick(find<QPushButton>("cmdSend"), Qt::LeftButton);
    else
        m_window->SendCommandLine();
    m_window->scriptBusy = false;
    QCOMPARE(m_window->cancelRequested, cancelAfter);
}

void tst_frmMainCommandLine::replies_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("awaiting");
    QTest::addColumn<bool>("awaitingAfter");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no colon keeps waiting") << QByteArray("OK\r\n") << true << true << "OK<CR><LF>";
    QTest::newRow("colon ends the wait") << QByteArray("GM:5\r\n") << true << false << "GM:5<CR><LF>";
    QTest::newRow("colon, nothing awaited") << QByteArray(":") << false << false << ":";
    QTest::newRow("NUL and high bytes")
        << QByteArray("\0A\x80\xff:", 5) << true << false << QString::fromUtf16(u"\u0000A\u20ac\u00ff:", 5);
}

void tst_frmMainCommandLine::replies()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, awaiting);
    QFETCH(bool, awaitingAfter);
    QFETCH(QString, shown);

    QTcpSocket* client = ensureConnected();
    QVERIFY(client);
    m_window->awaitingReply = awaiting;
    const int before = rows();
    client->write(bytes);
    QTRY_COMPARE(rows(), before + 1);
    QCOMPARE(cell(before, TrafficLog::ModeColumn), QStringLiteral("Get"));
    QCOMPARE(cell(before, TrafficLog::ParameterColumn), shown);
    QCOMPARE(m_window->awaitingReply, awaitingAfter);
    QVERIFY(find<QPushButton>("cmdDeleteList")->isEnabled());
    QTRY_VERIFY(lastRowShown());
}

void tst_frmMainCommandLine::replyInTwoPieces()
{
    QTcpSocket* client = ensureConnected();
    QVERIFY(client);
    m_window->awaitingReply = true;
    const int before = rows();
    client->write("GM");
    QTRY_COMPARE(rows(), before + 1);
    QVERIFY(m_window->awaitingReply);
    client->write(":5\r\n");
    QTRY_COMPARE(rows(), before + 2);
    QCOMPARE(cell(before, TrafficLog::ParameterColumn), QStringLiteral("GM"));
    QCOMPARE(cell(before + 1, TrafficLog::ParameterColumn), QStringLiteral(":5<CR><LF>"));
    QVERIFY(!m_window->awaitingReply);
}

void tst_frmMainCommandLine::buttonEnabling_data()
{
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("script");
    QTest::addColumn<bool>("sendEnabled");
    QTest::addColumn<bool>("testEnabled");
    QTest::newRow("idle, line and script") << false << "GM" << true << true << true;
    QTest::newRow("idle, nothing typed or edited") << false << "" << false << false << false;
    QTest::newRow("run in progress") << true << "GM" << true << false << false;
}

void tst_frmMainCommandLine::buttonEnabling()
{
    QFETCH(bool, busy);
    QFETCH(QString, text);
    QFETCH(bool, script);
    QFETCH(bool, sendEnabled);
    QFETCH(bool, testEnabled);

    QVERIFY(ensureConnected());
    if (script)
        m_window->AddScriptEntry(QStringLiteral("GM"), QString());
    find<QLineEdit>("txtSend")->setText(text);
    m_window->scriptBusy = busy;
    // A run disables the run buttons; the refresh must leave them so.
    find<QPushButton>("cmdCommand1")->setEnabled(!busy);

    QVERIFY(m_window->RefreshConnectionState());
    QCOMPARE(find<QPushButton>("cmdSend")->isEnabled(), sendEnabled);
    QCOMPARE(find<QPushButton>("cmdCommandTest")->isEnabled(), testEnabled);
    QCOMPARE(find<QPushButton>("cmdCommand1")->isEnabled(), !busy);

    m_window->scriptBusy = false;
    find<QPushButton>("cmdCommand1")->setEnabled(true);
    m_window->EditedScript()->clear();
}

void tst_frmMainCommandLine::deleteList()
{
    QVERIFY(ensureConnected());
    send(QStringLiteral("GM"));
    auto* cmdDeleteList = find<QPushButton>("cmdDeleteList");
    QVERIFY(rows() > 0);
    QTest::mouseClick(cmdDeleteList, Qt::LeftButton);
    QCOMPARE(rows(), 0);
    const QAbstractItemModel* shown = find<QTableView>("lsvMsg")->model();
    QCOMPARE(shown->rowCount(), 0);
    QVERIFY(!cmdDeleteList->isEnabled());
    send(QStringLiteral("GM"));
    QCOMPARE(rows(), 1);
    QVERIFY(cmdDeleteList->isEnabled());
    QTRY_COMPARE(shown->rowCount(), 1);
    QCOMPARE(shown->index(0, TrafficLog::ModeColumn).data().toString(), QStringLiteral("Set"));
}

void tst_frmMainCommandLine::timestampFromTheClock()
{
    QVERIFY(ensureConnected());
    SetUtcClock([] { return QTime(14, 3, 7, 45); });
    send(QStringLiteral("GM"));
    SetUtcClock({});
    QCOMPARE(cell(rows() - 1, TrafficLog::TimeColumn), QStringLiteral("14:03:07:045"));
}

void tst_frmMainCommandLine::headersFollowLanguage()
{
    const QAbstractItemModel* shown = find<QTableView>("lsvMsg")->model();
    auto headers = [shown] {
        QStringList texts;
        for (int column = 0; column < 3; ++column)
            texts << shown->headerData(column, Qt::Horizontal).toString();
        return texts;
    };
    QCOMPARE(headers(), (QStringList{"Zeit", "Mode", "Parameter"}));
    find<QComboBox>("cboLanguage")->setCurrentIndex(1);
    QCOMPARE(headers(), (QStringList{"Time", "Mode", "Parameter"}));
    QTRY_COMPARE(state(), QStringLiteral("State: Connected."));
    find<QComboBox>("cboLanguage")->setCurrentIndex(0);
}

void tst_frmMainCommandLine::refusedThenUnticked()
{
    QVERIFY(ensureConnected());
    m_server->stopListening();
    m_client->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Fehler beim Verbinden."), 5000);
    QCOMPARE(stateColour(), QColor(255, 0, 0));
    find<QLineEdit>("txtSend")->setText(QStringLiteral("GM"));
    QTRY_VERIFY(!find<QPushButton>("cmdSend")->isEnabled());
    QVERIFY(!find<QPushButton>("cmdCommandTest")->isEnabled());
    QVERIFY(find<QPushButton>("cmdCommand1")->isEnabled());

    find<QCheckBox>("chkConnect")->click();
    QVERIFY(!m_window->connectWanted);
    QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Zustand: Port geschlossen."), 3000);
    QCOMPARE(stateColour(), QColor(Qt::black));
}

QTEST_MAIN(tst_frmMainCommandLine)
#include "tst_frmmaincommandline.moc"
