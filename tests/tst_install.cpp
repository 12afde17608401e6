// The program as a user gets it: installed into a prefix, started for the first time with a fresh
// home, with profiles, and twice on one data folder. Runs the real programs.
#include "TestFiles.h"

#include <QtTest>

#include <csignal>

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
};

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
