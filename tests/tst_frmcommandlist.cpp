#include "ModalAnswer.h"
#include "QuickDialMemories.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "frmCommandList.h"
#include "frmMain.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

// What the viewer showed: title, button, headers, then one "command|description" per row.
struct ViewerSeen
{
    QStringList texts;
    QStringList rows;
    bool owned = false;
    bool columnsFit = true;
};

ViewerSeen look(frmCommandList* viewer)
{
    ViewerSeen seen;
    auto* list = control<QTreeView>(viewer, "lstCommands");
    const QAbstractItemModel* model = list->model();
    seen.texts << viewer->windowTitle() << control<QPushButton>(viewer, "cmdQuit")->text()
               << model->headerData(0, Qt::Horizontal).toString()
               << model->headerData(1, Qt::Horizontal).toString();
    seen.owned = viewer->parentWidget() != nullptr;
    const QFontMetrics metrics = list->fontMetrics();
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 2; ++column) {
            const QString cell = model->index(row, column).data().toString();
            cells << cell;
            if (list->header()->sectionSize(column) < metrics.horizontalAdvance(cell))
                seen.columnsFit = false;
        }
        seen.rows << cells.join(u'|');
    }
    return seen;
}

} // namespace

class tst_FrmCommandList : public QObject
{
    Q_OBJECT
private slots:
    void showsMemory_data();
    void showsMemory();
    void nothingForEmptyMemory_data();
    void nothingForEmptyMemory();

private:
    std::unique_ptr<frmMain> start(int language)
    {
        m_data.reset();
        m_data = std::make_unique<TempDataFolder>();
        m_data->writeSetup({{"Connect", "0"}, {"Language", QString::number(language)}, {"SelTab", "3"}});
        writeBytes(m_data->path() + QLatin1String("DefaultCommandSet.cfg"), "[SETTINGS]\r\nRepeat2=\r\n");
        auto window = std::make_unique<frmMain>();
        window->show();
        return window;
    }

    // Double-clicks the note box of memory n and closes with cmdQuit whatever viewer came up.
    struct Opened
    {
        bool any = false;      // any modal window
        bool leftOpen = false; // still open after cmdQuit
        std::optional<ViewerSeen> viewer;
    };
    Opened doubleClickNote(frmMain* window, int n)
    {
        Opened opened;
        ModalAnswer<frmCommandList> answer([&](frmCommandList* viewer) {
            opened.viewer = look(viewer);
            QTest::mouseClick(control<QPushButton>(viewer, "cmdQuit"), Qt::LeftButton);
        });
        const QByteArray name = "txtCommandDescript" + QByteArray::number(n);
        QTest::mouseDClick(control<QPlainTextEdit>(window, name.constData())->viewport(), Qt::LeftButton);
        QCoreApplication::processEvents();
        opened.any = answer.shown;
        opened.leftOpen = answer.leftOpen;
        return opened;
    }

    std::unique_ptr<TempDataFolder> m_data;
};

void tst_FrmCommandList::showsMemory_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("English") << 1 << QStringList{"Show command script", "Quit", "Command", "Description"};
    QTest::newRow("German") << 0
                            << QStringList{"Befehlsablauf anzeigen", "Beenden", "Befehl", "Beschreibung"};
}

void tst_FrmCommandList::showsMemory()
{
    QFETCH(int, language);
    const auto window = start(language);
    const QList<ScriptEntry> entries{{"SM 1", "Start production mode (SM 1)"},
                                     {"<WAIT_TIME=5>", ""},
                                     {"XC 1 a long device command parameter", "last"}};
    window->Memories->store(4, QStringLiteral("Three"), QStringLiteral("note"), entries);

    // Twice in a row: each time a fresh viewer with the entries once.
    for (int pass = 1; pass <= 2; ++pass) {
        const Opened opened = doubleClickNote(window.get(), 4);
        QVERIFY2(opened.viewer, "no viewer opened");
        QVERIFY(!opened.leftOpen);
        const ViewerSeen& seen = *opened.viewer;
        QTEST(seen.texts, "texts");
        QCOMPARE(seen.rows, (QStringList{"SM 1|Start production mode (SM 1)", "<WAIT_TIME=5>|",
                                         "XC 1 a long device command parameter|last"}));
        QVERIFY(!seen.owned);
        QVERIFY(seen.columnsFit);
    }
    QCOMPARE(window->Memories->entries(4)->entries(), entries);
    QCOMPARE(control<QPlainTextEdit>(window.get(), "txtCommandDescript4")->textCursor().hasSelection(),
             false);
}

void tst_FrmCommandList::nothingForEmptyMemory_data()
{
    QTest::addColumn<int>("memory");
    QTest::newRow("loaded as empty") << 2;
    QTest::newRow("loaded as used, without entries") << 3;
    QTest::newRow("deleted") << 5;
}

void tst_FrmCommandList::nothingForEmptyMemory()
{
    QFETCH(int, memory);
    const auto window = start(1);
    window->Memories->store(5, QStringLiteral("Gone"), QStringLiteral("note"), {{"GM", ""}});
    window->Memories->erase(5);
    QVERIFY(!doubleClickNote(window.get(), memory).any);
}

QTEST_MAIN(tst_FrmCommandList)
#include "tst_frmcommandlist.moc"
