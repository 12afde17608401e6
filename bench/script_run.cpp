// A script run through the real main window, shown offscreen, against instrument-sim on 127.0.0.1.
//
// Fast server: a memory of 254 commands run through cmdCommand1 several times; prints the median
// time per command, the 1 ms pause after each command included (target: at most 1.10 ms).
// Silent server: a run whose first reply never comes; prints the processor time the program uses
// over 10 seconds of waiting, and while an empty memory with its repeat box ticked keeps starting
// passes (target for both: less than 1% of one core, i.e. under 100 ms).
#include "CommandSession.h"
#include "QuickDialMemories.h"
#include "frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int scriptLength = 254;
constexpr int timedRuns = 7;
constexpr int waitMs = 10'000;

// instrument-sim on a free port of 127.0.0.1; stopped when this goes out of scope.
class Simulator
{
public:
    explicit Simulator(const QStringList& extra)
    {
        m_process.setProgram(QStringLiteral(INSTRUMENT_SIM_PATH));
        m_process.setArguments(QStringList{"--port", "0", "--listen", "127.0.0.1"} + extra);
        m_process.start();
        if (!m_process.waitForStarted() || !m_process.waitForReadyRead(10000))
            return;
        static const QRegularExpression listening(QStringLiteral(":(\\d+) "));
        port = quint16(listening.match(QString::fromLocal8Bit(m_process.readLine())).captured(1).toUInt());
    }
    ~Simulator()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    quint16 port = 0;

private:
    QProcess m_process;
};

void writeSetup(const QTemporaryDir& data, quint16 port)
{
    const QString folder = data.path() + QLatin1String("/Vordane/Relaytab");
    QDir().mkpath(folder);
    QFile setup(folder + QLatin1String("/Setup.ini"));
    if (setup.open(QIODevice::WriteOnly | QIODevice::Truncate))
        setup.write(QStringLiteral("[SETTINGS]\r\nConnect=1\r\nName=127.0.0.1\r\nPort=%1\r\nAppendCrLf=1\r\n"
                                   "SelTab=3\r\n")
                        .arg(port)
                        .toLatin1());
}

// Runs the event loop until done() holds or the time is up.
bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// Starts the simulator with these options and a window connected to it, memory 1 holding
// scriptLength commands, and hands the window to measure. False when something failed or a target
// was missed.
bool withConnectedWindow(const QTemporaryDir& data, const QStringList& simOptions,
                         const std::function<bool(frmMain&)>& measure)
{
    Simulator sim(simOptions);
    if (sim.port == 0) {
        std::printf("instrument-sim %s did not start\n", qPrintable(simOptions.join(u' ')));
        return false;
    }
    writeSetup(data, sim.port);
    frmMain window;
    window.resize(900, 700);
    window.show();
    QList<ScriptEntry> entries(scriptLength, ScriptEntry{QStringLiteral("GM"), QString()});
    window.Memories->store(1, QStringLiteral("Bench"), QStringLiteral("GM again and again"), entries);
    auto* run = window.findChild<QPushButton*>(QStringLiteral("cmdCommand1"));
    if (!waitFor([run] { return run->isEnabled(); }, 10000)) {
        std::printf("no connection to instrument-sim %s\n", qPrintable(simOptions.join(u' ')));
        return false;
    }
    const bool met = measure(window);
    window.close();
    return met;
}

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says so each time the bar and the cancel button come and go.
void dropSizeHintNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.contains(QLatin1String("propagateSizeHints")))
        defaultHandler(type, context, message);
}

double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The median time per command over timedRuns runs of memory 1, after one run to warm up; 0 when a
// run failed.
double medianRunMs(frmMain& window)
{
    auto* run = window.findChild<QPushButton*>(QStringLiteral("cmdCommand1"));
    auto* completed = window.findChild<QLabel*>(QStringLiteral("labCommandScriptCompleted"));
    std::vector<double> perCommandMs;
    for (int i = 0; i <= timedRuns; ++i) {
        QElapsedTimer clock;
        clock.start();
        run->click();
        const double ms = double(clock.nsecsElapsed()) / 1e6 / scriptLength;
        if (!completed->isVisible()) {
            std::printf("run %d did not complete\n", i);
            return 0;
        }
        if (i > 0)
            perCommandMs.push_back(ms);
        waitFor([run] { return run->isEnabled(); }, 1000);
    }
    std::sort(perCommandMs.begin(), perCommandMs.end());
    std::printf("  median %.3f ms per command (fastest %.3f, slowest %.3f)\n",
                perCommandMs[perCommandMs.size() / 2], perCommandMs.front(), perCommandMs.back());
    return perCommandMs[perCommandMs.size() / 2];
}

// Side by side: the journal off, then on, as chkJournal switches it.
bool timeInstantReplies(frmMain& window)
{
    auto* journal = window.findChild<QCheckBox*>(QStringLiteral("chkJournal"));
    std::printf("instant replies, %d runs of %d commands, 1 ms pause included, journal off:\n", timedRuns,
                scriptLength);
    journal->setChecked(false);
    const double off = medianRunMs(window);
    std::printf("journal on:\n");
    journal->setChecked(true);
    const double on = medianRunMs(window);
    std::printf("  journal on / off %.3f (target at most 1.05); median with the journal on at most 1.10 ms\n",
                off > 0 ? on / off : 0.0);
    return off > 0 && on > 0 && on <= 1.10 && on / off <= 1.05;
}

// The share of one core the program uses over waitMs while what start began goes on; stop ends it.
// A start that is over before then measures the idle window.
double processorShareWhile(QPushButton* start, const std::function<void()>& stop)
{
    double before = 0;
    double after = 0;
    bool started = false;
    bool stopped = false;
    QEventLoop outer;
    // The run holds the stack until it is stopped, so the measurement is made from timers.
    QTimer::singleShot(0, [&] {
        start->click();
        started = true;
        if (stopped)
            outer.quit();
    });
    QTimer::singleShot(500, [&] { before = processorSeconds(); });
    QTimer::singleShot(500 + waitMs, [&] {
        after = processorSeconds();
        stop();
        stopped = true;
        if (started)
            outer.quit();
    });
    outer.exec();
    return (after - before) / (waitMs / 1000.0) * 100.0;
}

bool measureWaiting(frmMain& window)
{
    auto* cancel = window.findChild<QPushButton*>(QStringLiteral("cmdCancelCommandScript"));
    auto* progress = window.findChild<QProgressBar*>(QStringLiteral("prgProgress"));
    int sent = 0;
    const double waiting =
        processorShareWhile(window.findChild<QPushButton*>(QStringLiteral("cmdCommand1")), [&] {
            sent = progress->value();
            cancel->click();
        });
    std::printf("silent server, a run waiting for its first reply (%d command sent):\n", sent);
    std::printf("  %.1f ms processor time over %d s, %.2f%% of one core (target under 1%%)\n",
                waiting * waitMs / 100.0, waitMs / 1000, waiting);

    // An empty memory with its repeat box ticked keeps starting passes that have nothing to do.
    window.Memories->erase(2);
    // What the cancel above left would end the repetition after its first pass.
    window.Session()->ClearCancel();
    auto* repeat = window.findChild<QCheckBox*>(QStringLiteral("chkCommandRepeat2"));
    repeat->setChecked(true);
    const double emptyPasses =
        processorShareWhile(window.findChild<QPushButton*>(QStringLiteral("cmdCommand2")),
                            [repeat] { repeat->setChecked(false); });
    std::printf("an empty memory repeated:\n");
    std::printf("  %.1f ms processor time over %d s, %.2f%% of one core (target under 1%%)\n",
                emptyPasses * waitMs / 100.0, waitMs / 1000, emptyPasses);
    return sent == 1 && waiting < 1.0 && emptyPasses < 1.0;
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    QApplication app(argc, argv);
    defaultHandler = qInstallMessageHandler(dropSizeHintNotes);
    const bool fast = withConnectedWindow(data, {}, timeInstantReplies);
    const bool idle = withConnectedWindow(data, {QStringLiteral("--silent")}, measureWaiting);
    std::printf(fast && idle ? "targets met\n" : "a target was missed\n");
    return fast && idle ? 0 : 1;
}
