// The copy of unsaved changes: written while the document is modified,
// gone once it is saved or declined, and offered back after a crash.
#include "../support/childprocess.h"
#include "../support/shellharness.h"
#include "../support/widgettesting.h"
#include "files/document.h"
#include "files/filecommands.h"
#include "files/recoverycopy.h"
#include "grid/tablemodel.h"
#include "table/edithistory.h"
#include "table/tablecommands.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QUndoStack>

#include <csignal>
#include <sys/stat.h>

using namespace corvanta;

namespace {

QStringList copiesIn(const QString& folder)
{
    return QDir(folder).entryList({"*.cvt"}, QDir::Files);
}

// Types `text` into the table's cell in cell mode, as a user does.
void typeInto(MainWindow& w, int row, int col, const QString& text)
{
    w.tableCommands().mnuMouseMode_Click(1);
    typeInto(w.fa(), row, col, text);
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

  private slots:
    void killedSessionComesBack_data();
    void killedSessionComesBack();
    void savedOrDeclinedLeavesNoCopy_data();
    void savedOrDeclinedLeavesNoCopy();
    void staleCopyIsNotOffered_data();
    void staleCopyIsNotOffered();
    void restoredTextSavesAsRead();
    void badNoteIsSkipped_data();
    void badNoteIsSkipped();
};

void TestRecovery::killedSessionComesBack_data()
{
    QTest::addColumn<bool>("restore");
    QTest::newRow("Yes restores") << true;
    QTest::newRow("No deletes") << false;
}

// A session killed after an edit: the next start offers the edit back.
void TestRecovery::killedSessionComesBack()
{
    QFETCH(bool, restore);
    ShellHarness h;
    // Deep enough that the question must shorten it.
    const QString book = h.path(QString(90, u'd') + "/" + QString(90, u'e') + "/book.cvt");
    QVERIFY(QDir().mkpath(QFileInfo(book).path()));
    {
        // The book on disk, opened at start, then edited and killed.
        ShellHarness maker;
        MainWindow& w = maker.start();
        w.fa()->SetCellText(1, 0, "On disk");
        w.document().setCurrentFile(book);
        QVERIFY(w.files().mnuSave_Click());
    }
    h.settings->write("LastOpenFilePath", book);
    h.recoveryIntervalMs = 50;
    const QByteArray died = inChild(
        [&h] {
            MainWindow& w = h.start();
            w.show();
            if (!QTest::qWaitForWindowExposed(&w))
                return QByteArray("not shown");
            typeInto(w, 1, 0, "Ada Lovelace");
            for (int i = 0; i < 200 && copiesIn(h.recoveryFolder()).isEmpty(); ++i)
                QTest::qWait(25);
            ::raise(SIGKILL);
            return QByteArray("still alive");
        },
        30);
    QCOMPARE(died, QByteArray("killed by signal 9"));
    QCOMPARE(copiesIn(h.recoveryFolder()).size(), 1);

    h.platform.answers = {restore ? MsgAnswer::Yes : MsgAnswer::No};
    MainWindow& w = h.start();
    QVERIFY(h.platform.messages.isEmpty()); // asked over the window, once it shows
    w.show();
    QTRY_COMPARE(h.platform.messages.size(), 1);
    // The path on a line of its own, shortened in the middle.
    const QStringList lines = h.platform.messages[0].text.split(u'\n');
    QCOMPARE(lines.size(), 5);
    const QString path = QDir::toNativeSeparators(book);
    QVERIFY2(lines[1].size() < path.size() && lines[1].contains(u'\u2026') &&
                 path.startsWith(lines[1].section(u'\u2026', 0, 0)) &&
                 path.endsWith(lines[1].section(u'\u2026', 1)),
             qPrintable(lines[1]));
    QCOMPARE(w.document().CurrentFile(), book);
    QCOMPARE(w.fa()->CellText(1, 0), restore ? QString("Ada Lovelace") : QString("On disk"));
    QCOMPARE(w.document().IsModified(), restore);
    // A restored document keeps a copy until it is saved; a declined one
    // leaves nothing behind.
    QCOMPARE(copiesIn(h.recoveryFolder()).size(), restore ? 1 : 0);
    // An edit taken back leaves a restored document unsaved all the same:
    // what is on disk is still older.
    w.editHistory().setText(1, 1, "Edited");
    w.editHistory().stack()->undo();
    QCOMPARE(w.document().IsModified(), restore);
    if (restore) {
        QVERIFY(w.files().mnuSave_Click());
        QVERIFY(copiesIn(h.recoveryFolder()).isEmpty());
    }
}

void TestRecovery::savedOrDeclinedLeavesNoCopy_data()
{
    QTest::addColumn<QString>("ending");
    QTest::newRow("save") << "save";
    QTest::newRow("undo to saved") << "undo";
    QTest::newRow("New, No") << "new";
    QTest::newRow("Exit, No") << "exit";
}

void TestRecovery::savedOrDeclinedLeavesNoCopy()
{
    QFETCH(QString, ending);
    ShellHarness h;
    h.recoveryIntervalMs = 20;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    typeInto(w, 2, 1, "12 Elm St");
    QTRY_COMPARE(copiesIn(h.recoveryFolder()).size(), 1);

    if (ending == "save") {
        w.document().setCurrentFile(h.path("saved.cvt"));
        QVERIFY(w.files().mnuSave_Click());
    } else if (ending == "undo") {
        w.editHistory().stack()->undo();
        QVERIFY(!w.document().IsModified());
    } else {
        h.platform.answers = {MsgAnswer::No};
        if (ending == "new")
            w.files().mnuNew_Click();
        else
            w.mnuExit_Click();
    }
    QVERIFY(copiesIn(h.recoveryFolder()).isEmpty());
    // No change since: the clock is not running on anything.
    QTest::qWait(60);
    QVERIFY(copiesIn(h.recoveryFolder()).isEmpty());
}

void TestRecovery::staleCopyIsNotOffered_data()
{
    QTest::addColumn<int>("newer"); // copies beside the stale one whose documents are gone
    QTest::newRow("one stale copy") << 0;
    QTest::newRow("stale beside two newer") << 2;
}

// A copy older than its document was overtaken by a save elsewhere: it is
// dropped without a question. The others are offered newest first.
void TestRecovery::staleCopyIsNotOffered()
{
    QFETCH(int, newer);
    ShellHarness h;
    Document doc(h.programFolder);
    TableModel model;
    QStringList copies;
    QHash<QString, QString> documentOf;
    for (int i = 0; i <= newer; ++i) {
        doc.setCurrentFile(h.path(QStringLiteral("book%1.cvt").arg(i)));
        RecoveryCopy copy(doc, model, h.recoveryFolder());
        QVERIFY(copy.writeNow());
        copies << copy.copyPath();
        documentOf[copy.copyPath()] = doc.CurrentFile();
    }
    // Times set here, not read from the clock.
    const QDateTime base(QDate(2026, 1, 5), QTime(12, 0), Qt::UTC);
    auto setTime = [](const QString& path, const QDateTime& when) {
        QFile f(path);
        return f.open(QIODevice::Append) && f.setFileTime(when, QFileDevice::FileModificationTime);
    };
    const QString stale = copies.takeFirst();
    QVERIFY(setTime(stale, base));
    QVERIFY(setTime(documentOf[stale], base.addSecs(60)));
    // The first copy in the folder's listing is the oldest, so offering
    // them in the listing's order is wrong.
    copies.sort();
    for (int i = 0; i < copies.size(); ++i)
        QVERIFY(setTime(copies[i], base.addSecs(120 + 60 * i)));
    QStringList offered;
    for (const RecoveryCopy::Found& f : RecoveryCopy::findNewer(h.recoveryFolder()))
        offered << f.documentPath;
    QStringList expected;
    for (auto c = copies.crbegin(); c != copies.crend(); ++c)
        expected << documentOf[*c];
    QCOMPARE(offered, expected);
    QCOMPARE(copiesIn(h.recoveryFolder()).size(), newer);
}

// A semicolon file in windows-1252, edited and not saved before the end:
// restored, Save writes it back in its own encoding and delimiter.
void TestRecovery::restoredTextSavesAsRead()
{
    ShellHarness h;
    const QString book = h.path("book.csv");
    QFile f(book);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Name;City\r\nZo\xEB;K\xF6ln\r\n");
    f.close();
    h.recoveryIntervalMs = 20;
    {
        MainWindow& w = h.start();
        QVERIFY(w.files().openFile(book, Document::KindComma, true));
        QCOMPARE(w.fa()->CellText(1, 1), QStringLiteral("Köln"));
        w.fa()->SetCellText(1, 0, QStringLiteral("Zoë Ça"));
        QTRY_COMPARE(copiesIn(h.recoveryFolder()).size(), 1);
        h.window.reset(); // ended without saving or declining
    }
    h.platform.answers = {MsgAnswer::Yes};
    MainWindow& w = h.start();
    w.show(); // the question comes once the window shows
    QTRY_COMPARE(w.document().CurrentFile(), book);
    QCOMPARE(w.fa()->CellText(1, 0), QStringLiteral("Zoë Ça"));
    QVERIFY(w.files().mnuSave_Click());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("Name;City\r\nZo\xEB \xC7\x61;K\xF6ln\r\n"));
}

void TestRecovery::badNoteIsSkipped_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to /dev/zero") << "zero";
}

// A note that is no regular file must not hold up the start: its copy is
// skipped, with a line in the log, and the others are still offered.
void TestRecovery::badNoteIsSkipped()
{
    QFETCH(QString, kind);
    ShellHarness h;
    Document doc(h.programFolder);
    TableModel model;
    for (const char* name : {"bad.cvt", "good.cvt"}) {
        doc.setCurrentFile(h.path(name));
        RecoveryCopy copy(doc, model, h.recoveryFolder());
        QVERIFY(copy.writeNow());
        if (QByteArray(name) == "bad.cvt") {
            const QString note = copy.copyPath().chopped(4) + ".doc";
            QVERIFY(QFile::remove(note));
            if (kind == "fifo")
                QCOMPARE(::mkfifo(QFile::encodeName(note).constData(), 0600), 0);
            else
                QVERIFY(QFile::link("/dev/zero", note));
        }
    }
    const QByteArray result = inChild(
        [&h] {
            static QByteArray log;
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                log += text.toUtf8() + '\n';
            });
            QByteArray found;
            for (const RecoveryCopy::Found& f : RecoveryCopy::findNewer(h.recoveryFolder()))
                found += QFileInfo(f.documentPath).fileName().toUtf8() + '\n';
            return found + log;
        },
        10);
    QVERIFY2(result.startsWith("good.cvt\nSkipped the recovery copy "), result.constData());
    QVERIFY2(result.endsWith(".doc is not a regular file\n"), result.constData());
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
