// File > Recent Files: what was opened or saved, newest first, reopened the
// way it was read, and kept between runs.
#include "../support/shellharness.h"
#include "commands/commandset.h"
#include "files/document.h"
#include "files/filecommands.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace corvanta;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The visible entries of the submenu, as the user reads them.
QStringList shownEntries(MainWindow& w)
{
    QStringList out;
    for (QAction* a : w.commands().menu("mnuRecent")->actions())
        if (a->isVisible())
            out << a->text();
    return out;
}

void openFromMenu(MainWindow& w, FakePlatform& p, const char* entry, const QString& path)
{
    p.fileAnswers << path;
    w.commands().action(entry)->trigger();
}

} // namespace

class TestRecentFiles : public QObject
{
    Q_OBJECT

  private slots:
    void newestFirstAndKept();
    void reopensTheWayItWasRead();
    void missingFileIsDropped();
    void statusTipShownWhileMenuOpen();
};

void TestRecentFiles::newestFirstAndKept()
{
    ShellHarness h;
    {
        MainWindow& w = h.start();
        QVERIFY(!w.commands().action("mnuRecent")->isEnabled()); // nothing yet
        for (int i = 1; i <= 9; ++i) {
            const QString name = h.path(QString("book%1.cvt").arg(i));
            w.fa()->SetCellText(1, 0, QString::number(i));
            w.document().setCurrentFile(name);
            QVERIFY(w.files().mnuSave_Click());
        }
        writeFile(h.path("a&b.csv"), "Name\nAnn\n");
        openFromMenu(w, h.platform, "mnuOpenCSV_0", h.path("a&b.csv"));
        QCOMPARE(w.document().CurrentFile(), h.path("a&b.csv"));
        QVERIFY(w.commands().action("mnuRecent")->isEnabled());
        // Eight at most; the oldest saves fell off.
        const QStringList expected = {"&1 a&&b.csv",  "&2 book9.cvt", "&3 book8.cvt",
                                      "&4 book7.cvt", "&5 book6.cvt", "&6 book5.cvt",
                                      "&7 book4.cvt", "&8 book3.cvt"};
        QCOMPARE(shownEntries(w), expected);
        QCOMPARE(w.commands().action("mnuRecent_1")->statusTip(),
                 QDir::toNativeSeparators(h.dir.path()));
        // Reopening one moves it to the top instead of listing it twice.
        w.commands().action("mnuRecent_3")->trigger();
        QCOMPARE(w.document().CurrentFile(), h.path("book7.cvt"));
        QCOMPARE(w.fa()->CellText(1, 0), QString("7"));
        QCOMPARE(shownEntries(w).first(), QString("&1 book7.cvt"));
        QCOMPARE(shownEntries(w).size(), 8);
    }
    // The next run shows the same list.
    MainWindow& again = h.start();
    QCOMPARE(shownEntries(again).mid(0, 3),
             QStringList({"&1 book7.cvt", "&2 a&&b.csv", "&3 book9.cvt"}));
}

void TestRecentFiles::reopensTheWayItWasRead()
{
    ShellHarness h;
    MainWindow& w = h.start();
    writeFile(h.path("data.csv"), "Ann,1 Elm St\nBob,2 Oak St\n");
    openFromMenu(w, h.platform, "mnuOpenCSV_1", h.path("data.csv")); // first line is data
    QCOMPARE(w.fa()->CellText(1, 0), QString("Ann"));
    w.files().mnuNew_Click();
    QCOMPARE(w.fa()->CellText(1, 0), QString());
    w.commands().action("mnuRecent_0")->trigger();
    QCOMPARE(w.document().CurrentFile(), h.path("data.csv"));
    QCOMPARE(w.document().FileKind(), Document::KindComma);
    // Read as records again, not with Ann as a column title.
    QCOMPARE(w.fa()->CellText(1, 0), QString("Ann"));
    QCOMPARE(w.fa()->CellText(2, 0), QString("Bob"));
}

void TestRecentFiles::missingFileIsDropped()
{
    ShellHarness h;
    MainWindow& w = h.start();
    for (const char* name : {"gone.cvt", "kept.cvt"}) {
        w.document().setCurrentFile(h.path(name));
        QVERIFY(w.files().mnuSave_Click());
    }
    QFile::remove(h.path("gone.cvt"));
    w.fa()->SetCellText(1, 0, "unsaved");
    w.document().MakeModified(true);
    h.platform.answers = {MsgAnswer::Ok};
    w.commands().action("mnuRecent_1")->trigger();
    // Told, not asked to save first, and the document is untouched.
    QCOMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.lastText(),
             QDir::toNativeSeparators(h.path("gone.cvt")) +
                 " no longer exists. It has been removed from the list of recent files.");
    QCOMPARE(w.fa()->CellText(1, 0), QString("unsaved"));
    QCOMPARE(shownEntries(w), QStringList({"&1 kept.cvt"}));
}

// An entry's folder is its status tip; the panels fill the status bar, so
// the tip takes the place of panel 1 while the pointer is on the entry.
void TestRecentFiles::statusTipShownWhileMenuOpen()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.document().setCurrentFile(h.path("book.cvt"));
    QVERIFY(w.files().mnuSave_Click());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* panel1 = w.findChild<QLabel*>("SBar_1");
    auto* tip = w.findChild<QLabel*>("SBar_Tip");
    QVERIFY(panel1 && tip);
    QVERIFY(panel1->isVisible() && !tip->isVisible());

    QMenuBar* bar = w.menuBar();
    QMenu* file = w.commands().menu("mnuFile");
    QMenu* recent = w.commands().menu("mnuRecent");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
    QTRY_VERIFY(file->isVisible());
    QTest::mouseMove(file, file->actionGeometry(recent->menuAction()).center());
    QTRY_VERIFY(recent->isVisible());
    QAction* entry = w.commands().action("mnuRecent_0");
    QTest::mouseMove(recent, recent->actionGeometry(entry).center());
    QTRY_VERIFY(tip->isVisible());
    QCOMPARE(tip->text(), QDir::toNativeSeparators(h.dir.path()));
    QVERIFY(!panel1->isVisible());

    QTest::keyClick(recent, Qt::Key_Escape);
    QTest::keyClick(file, Qt::Key_Escape);
    QTRY_VERIFY(panel1->isVisible());
    QCOMPARE(panel1->text(), QString("Corvanta Address Book 1.0"));
}

QTEST_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
