// The real programs as a user gets them: installed, first started in a fresh home, with profiles, twice
// on one data folder; and the operator's files survive exit: a kill during the shutdown writes leaves
// each file old or new and whole; an unwritable or vanishing data folder crashes nothing, loses nothing.
#include "TestFiles.h"
#include "TestSupport.h"

#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

// The window program with its data below home, offscreen; closed as by the desktop on SIGTERM.
class Window
{
public:
    Window(const QString& program, const QString& home, const QStringList& args = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", home);
        m_process.setProcessEnvironment(env);
        m_process.start(program, args);
        // Until the program catches SIGTERM, the signal would kill it before it could save.
        m_started = m_process.waitForStarted() && QTest::qWaitFor([this] { return catchesTerm(); }, 20000);
    }
    ~Window() { close(); }
    bool close()
    {
        if (!m_started)
            return false;
        if (m_process.state() == QProcess::NotRunning)
            return true;
        ::kill(pid_t(m_process.processId()), SIGTERM);
        return m_process.waitForFinished(20000);
    }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    bool catchesTerm() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
        return false;
    }

    QProcess m_process;
    bool m_started = false;
};

const QByteArray oldSetup = "; written by hand\r\n[SETTINGS]\r\nPort=1111\r\nConnect=0\r\n";
const QByteArray oldCommandSet = "[SETTINGS]\r\nRepeat1=0\r\nCommand1=SM 1#GM\r\nDescript1=start#query\r\n"
                                 "Label1=Start\r\n";

} // namespace

class tst_Install : public QObject
{
    Q_OBJECT
private slots:
    void installedCopy()
    {
        QTemporaryDir prefix;
        QProcess install;
        install.start(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix.path()});
        QVERIFY(install.waitForFinished(60000) && install.exitCode() == 0);
        QStringList files;
        for (QDirIterator it(prefix.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << it.next().mid(prefix.path().size() + 1);
        for (const char* expected :
             {"bin/relaytab", "bin/relaytab-run", "bin/instrument-sim",
              "share/relaytab/DefaultCommandSet.cfg", "share/relaytab/help/help00.html",
              "share/applications/de.vordane.Relaytab.desktop",
              "share/metainfo/de.vordane.Relaytab.metainfo.xml",
              "share/icons/hicolor/scalable/apps/de.vordane.Relaytab.svg",
              "share/icons/hicolor/48x48/apps/de.vordane.Relaytab.png", "share/man/man1/relaytab.1.gz",
              "share/man/man1/relaytab-run.1.gz", "share/man/man1/instrument-sim.1.gz"})
            QVERIFY2(files.contains(expected), expected);

        // The first start in a fresh home makes the data folder and finds the shipped set under share/.
        QTemporaryDir home;
        QVERIFY(Window(prefix.path() + "/bin/relaytab", home.path()).close());
        QCOMPARE(fileBytes(home.path() + "/Vordane/Relaytab/DefaultCommandSet.cfg"),
                 fileBytes(prefix.path() + "/share/relaytab/DefaultCommandSet.cfg"));
    }

    void dataFolders()
    {
        QTemporaryDir home;
        const QString data = home.path() + "/Vordane/Relaytab/";
        const auto exists = [&](const QString& file) { return QFileInfo::exists(data + file); };
        for (const char* profile : {"bench-1", "line_2"})
            QVERIFY(Window(RELAYTAB_PATH, home.path(), {"--profile", profile}).close());
        QVERIFY(exists("profiles/bench-1/Setup.ini") && exists("profiles/line_2/Setup.ini"));
        QVERIFY(!exists("Setup.ini"));

        // A second window on a held folder saves nothing at close.
        Window first(RELAYTAB_PATH, home.path());
        QTRY_VERIFY_WITH_TIMEOUT(exists("relaytab.lock"), 20000);
        QVERIFY(Window(RELAYTAB_PATH, home.path()).close());
        QVERIFY(!exists("Setup.ini"));
        // The lock of a window that was killed does not hold the next one.
        first.kill();
        QVERIFY(Window(RELAYTAB_PATH, home.path()).close());
        QVERIFY(exists("Setup.ini"));
    }

    void killDuringShutdown()
    {
        QTemporaryDir home;
        const QString data = home.path() + QLatin1String("/Vordane/Relaytab/");
        QVERIFY(QDir().mkpath(data));
        const QString setup = data + QLatin1String("Setup.ini");
        const QString commandSet = data + QLatin1String("DefaultCommandSet.cfg");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        // Told to end after delayMs and killed killUs later; -1: not killed.
        const auto run = [&](int delayMs, int killUs) {
            writeBytes(setup, oldSetup);
            writeBytes(commandSet, oldCommandSet);
            QProcess program;
            program.setProcessEnvironment(env);
            program.start(QStringLiteral(RELAYTAB_PATH), {});
            if (!program.waitForStarted())
                return false;
            ::usleep(useconds_t(delayMs * 1000));
            ::kill(pid_t(program.processId()), SIGTERM);
            if (killUs >= 0) {
                ::usleep(useconds_t(killUs));
                ::kill(pid_t(program.processId()), SIGKILL);
            }
            return program.waitForFinished(20000);
        };

        // What a clean shutdown writes from the old files.
        QVERIFY(run(300, -1));
        const QByteArray newSetup = fileBytes(setup);
        const QByteArray newCommandSet = fileBytes(commandSet);
        QVERIFY(newSetup != oldSetup && newSetup.startsWith(oldSetup));
        QVERIFY(newCommandSet != oldCommandSet && newCommandSet.startsWith("[SETTINGS]\r\nRepeat1=0\r\n"));

        // A kill between writing a file under a temporary name and renaming it may leave that file
        // behind; it never takes the place of the real one.
        auto* random = QRandomGenerator::global();
        for (int round = 0; round < 200; ++round) {
            QVERIFY(run(random->bounded(150, 450), random->bounded(0, 12'000)));
            const QByteArray setupNow = fileBytes(setup);
            const QByteArray commandSetNow = fileBytes(commandSet);
            QVERIFY2(setupNow == oldSetup || setupNow == newSetup, setupNow.constData());
            QVERIFY2(commandSetNow == oldCommandSet || commandSetNow == newCommandSet,
                     commandSetNow.constData());
        }
    }

    // Each row runs the program in a mount namespace of its own, where a small file system can be
    // made read-only or full; the shell tells what the files are afterwards.
    void unwritableDataFolder_data()
    {
        // Shell commands run in $DATA before the program starts and while it runs; the state of
        // Setup.ini and DefaultCommandSet.cfg afterwards.
        columns<QString, QString, QString>("prepare", "during", "after");
        row("read-only folder", "mount -o remount,ro \"$ROOT\"", "", "old old");
        row("full disk", "dd if=/dev/zero of=\"$ROOT/filler\" bs=4k 2>/dev/null || true", "", "old old");
        row("command set is a folder", "rm DefaultCommandSet.cfg; mkdir DefaultCommandSet.cfg", "",
            "new folder");
        row("folder vanishes while running", "", "rm -rf \"$DATA\"", "new new");
    }

    void unwritableDataFolder()
    {
        if (QProcess::execute(QStringLiteral("unshare"), {"-m", "true"}) != 0)
            QSKIP("no mount namespace here");

        QTemporaryDir root;
        QTemporaryDir stage;
        writeBytes(stage.filePath(QStringLiteral("Setup.ini")), oldSetup);
        writeBytes(stage.filePath(QStringLiteral("DefaultCommandSet.cfg")), oldCommandSet);
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
kill -TERM $pid; wait $pid; code=$?
state() {
  if [ -d "$DATA/$1" ]; then echo folder; elif cmp -s "$DATA/$1" "%2/$1"; then echo old;
  elif grep -q '^\[SETTINGS\]' "$DATA/$1" 2>/dev/null; then echo new; else echo broken; fi
}
echo "exit=$code $(state Setup.ini) $(state DefaultCommandSet.cfg)"
    )sh")
                                   .arg(root.path(), stage.path(), fetch<QString>("prepare"),
                                        QStringLiteral(RELAYTAB_PATH), fetch<QString>("during"));
        QProcess shell;
        shell.start(QStringLiteral("unshare"), {"-m", "sh", "-c", script});
        QVERIFY(shell.waitForFinished(60000));
        const QString out = QString::fromLatin1(shell.readAllStandardOutput()).trimmed();
        QVERIFY2(out == QLatin1String("exit=0 ") + fetch<QString>("after"),
                 qPrintable(out + shell.readAllStandardError()));
    }
};

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
