// The operator's files survive whatever happens at exit: a kill in the middle of the shutdown
// writes leaves each file either as it was or as the program meant to write it, whole; a data
// folder that is read-only, full, gone, or a command set that is a folder crash nothing and lose
// nothing else. Runs the real program.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

const QByteArray oldSetup = "; written by hand\r\n[SETTINGS]\r\nPort=1111\r\nConnect=0\r\n";
const QByteArray oldCommandSet = "[SETTINGS]\r\nRepeat1=0\r\nCommand1=SM 1#GM\r\nDescript1=start#query\r\n"
                                 "Label1=Start\r\n";

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (QFileInfo(path).isDir())
        return "<folder>";
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QProcessEnvironment programEnvironment(const QString& dataHome)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    return env;
}

} // namespace

class tst_CrashSafety : public QObject
{
    Q_OBJECT
private slots:
    void killDuringShutdown();
    void unwritableDataFolder_data();
    void unwritableDataFolder();
};

void tst_CrashSafety::killDuringShutdown()
{
    QTemporaryDir home;
    const QString data = home.path() + QLatin1String("/Vordane/Relaytab/");
    QVERIFY(QDir().mkpath(data));
    const QString setup = data + QLatin1String("Setup.ini");
    const QString commandSet = data + QLatin1String("DefaultCommandSet.cfg");

    // What a clean shutdown writes from the old files.
    writeFile(setup, oldSetup);
    writeFile(commandSet, oldCommandSet);
    QProcess clean;
    clean.setProcessEnvironment(programEnvironment(home.path()));
    clean.start(QStringLiteral(RELAYTAB_PATH), {});
    QVERIFY(clean.waitForStarted());
    QTest::qWait(300);
    ::kill(pid_t(clean.processId()), SIGTERM);
    QVERIFY(clean.waitForFinished(20000));
    const QByteArray newSetup = readFile(setup);
    const QByteArray newCommandSet = readFile(commandSet);
    QVERIFY(newSetup != oldSetup && newSetup.startsWith(oldSetup));
    QVERIFY(newCommandSet != oldCommandSet && newCommandSet.startsWith("[SETTINGS]\r\nRepeat1=0\r\n"));

    // How often the kill found each file still old, for the report.
    int setupOld = 0;
    int setOld = 0;
    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 200; ++round) {
        writeFile(setup, oldSetup);
        writeFile(commandSet, oldCommandSet);
        QProcess program;
        program.setProcessEnvironment(programEnvironment(home.path()));
        program.start(QStringLiteral(RELAYTAB_PATH), {});
        QVERIFY(program.waitForStarted());
        const pid_t pid = pid_t(program.processId());
        ::usleep(useconds_t(random->bounded(150'000, 450'000)));
        ::kill(pid, SIGTERM);
        ::usleep(useconds_t(random->bounded(0, 12'000)));
        ::kill(pid, SIGKILL);
        QVERIFY(program.waitForFinished(20000));

        const QByteArray setupNow = readFile(setup);
        const QByteArray commandSetNow = readFile(commandSet);
        QVERIFY2(setupNow == oldSetup || setupNow == newSetup, setupNow.constData());
        QVERIFY2(commandSetNow == oldCommandSet || commandSetNow == newCommandSet, commandSetNow.constData());
        setupOld += setupNow == oldSetup ? 1 : 0;
        setOld += commandSetNow == oldCommandSet ? 1 : 0;
    }
    qInfo("200 kills: Setup.ini found old %d times, new %d times; DefaultCommandSet.cfg old %d, new %d", setupOld,
          200 - setupOld, setOld, 200 - setOld);
    // A kill between writing a new file under a temporary name and renaming it may leave that
    // temporary file behind; it never takes the place of the real one.
    const QStringList left = QDir(data).entryList(QDir::Files | QDir::Hidden);
    QVERIFY(left.contains("Setup.ini") && left.contains("DefaultCommandSet.cfg"));
    qInfo("files in the data folder afterwards: %s", qPrintable(left.join(u' ')));
}

// Each row runs the program in a mount namespace of its own, where a small file system can be
// made read-only or full; the shell prints what the files hold afterwards.
void tst_CrashSafety::unwritableDataFolder_data()
{
    QTest::addColumn<QString>("prepare"); // shell commands run in $DATA before the program starts
    QTest::addColumn<QString>("during");  // shell commands run while the program runs
    QTest::addColumn<bool>("setupKept");   // Setup.ini as it was (else: written anew)
    QTest::addColumn<bool>("setKept");     // DefaultCommandSet.cfg as it was
    QTest::newRow("read-only folder") << "mount -o remount,ro \"$ROOT\"" << "" << true << true;
    QTest::newRow("full disk") << "dd if=/dev/zero of=\"$ROOT/filler\" bs=4k 2>/dev/null || true" << "" << true << true;
    QTest::newRow("command set is a folder") << "rm DefaultCommandSet.cfg; mkdir DefaultCommandSet.cfg" << "" << false
                                             << true;
    QTest::newRow("folder vanishes while running") << "" << "rm -rf \"$DATA\"" << false << false;
}

void tst_CrashSafety::unwritableDataFolder()
{
    QFETCH(QString, prepare);
    QFETCH(QString, during);
    QFETCH(bool, setupKept);
    QFETCH(bool, setKept);
    if (QProcess::execute(QStringLiteral("unshare"), {"-m", "true"}) != 0)
        QSKIP("no mount namespace here");

    QTemporaryDir root;
    QTemporaryDir stage;
    writeFile(stage.filePath(QStringLiteral("Setup.ini")), oldSetup);
    writeFile(stage.filePath(QStringLiteral("DefaultCommandSet.cfg")), oldCommandSet);
    const QString script = QString::fromLatin1(R"sh(
set -e
ROOT=%1; DATA="$ROOT/Vordane/Relaytab"
mount -t tmpfs -o size=256k tmpfs "$ROOT"
mkdir -p "$DATA"; cd "$DATA"
cp "%2/Setup.ini" "%2/DefaultCommandSet.cfg" .
%3
set +e
XDG_DATA_HOME="$ROOT" QT_QPA_PLATFORM=offscreen %4 & pid=$!
sleep 1.5
%5
kill -TERM $pid; wait $pid; echo "exit=$?"
echo "setup=$(base64 -w0 "$DATA/Setup.ini" 2>/dev/null || echo missing)"
if [ -d "$DATA/DefaultCommandSet.cfg" ]; then echo "set=folder"; else
echo "set=$(base64 -w0 "$DATA/DefaultCommandSet.cfg" 2>/dev/null || echo missing)"; fi
)sh")
                               .arg(root.path(), stage.path(), prepare, QStringLiteral(RELAYTAB_PATH), during);
    QProcess shell;
    shell.start(QStringLiteral("unshare"), {"-m", "sh", "-c", script});
    QVERIFY(shell.waitForFinished(60000));
    const QString out = QString::fromLatin1(shell.readAllStandardOutput());
    QVERIFY2(shell.exitCode() == 0, qPrintable(out + shell.readAllStandardError()));
    QVERIFY2(out.contains(QLatin1String("exit=0")), qPrintable(out));

    const auto field = [&](const QString& key) {
        const QRegularExpression line(u'^' + key + QLatin1String("=(.*)$"), QRegularExpression::MultilineOption);
        return line.match(out).captured(1);
    };
    const QByteArray setupNow = field(QStringLiteral("setup")) == QLatin1String("missing")
                                    ? QByteArray("<missing>")
                                    : QByteArray::fromBase64(field(QStringLiteral("setup")).toLatin1());
    if (setupKept)
        QCOMPARE(setupNow, oldSetup);
    else
        QVERIFY2(setupNow.startsWith("[SETTINGS]") || setupNow.startsWith(oldSetup), setupNow.constData());
    if (setKept && prepare.contains(QLatin1String("mkdir")))
        QCOMPARE(field(QStringLiteral("set")), QStringLiteral("folder"));
    else if (setKept)
        QCOMPARE(QByteArray::fromBase64(field(QStringLiteral("set")).toLatin1()), oldCommandSet);
    else
        QVERIFY(QByteArray::fromBase64(field(QStringLiteral("set")).toLatin1()).startsWith("[SETTINGS]\r\nRepeat1="));
}

QTEST_GUILESS_MAIN(tst_CrashSafety)
#include "tst_crashsafety.moc"
