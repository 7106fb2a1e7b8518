// File > Append on the real main window: native and delimited files below
// the table, one undoable change, and the files it must refuse.
#include "commands/commandset.h"
#include "files/document.h"
#include "files/nativefile.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/addressdefaults.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTest>

using namespace corvanta;

namespace {

const QString kRefused = QStringLiteral(
    "You can only select the reconizable file types. Plaese select the correct file type from "
    "the 'File of Types' list box in the Open Dialog and reopen again.");

// Three records under `cols` columns, titled T0, T1...; the first record's
// cells read "a0", "a1"...
Table threeRecords(int cols)
{
    Table t(4, cols);
    for (int c = 0; c < cols; ++c) {
        t.setText(0, c, QStringLiteral("T%1").arg(c));
        t.setText(1, c, QStringLiteral("a%1").arg(c));
    }
    t.setText(2, 0, u"b0");
    t.setText(3, 0, u"c0");
    return t;
}

void writeText(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A window on a saved document of ten records under the default titles,
// with titles 8 and 9 empty.
MainWindow& startOnDocument(ShellHarness& h)
{
    MainWindow& w = h.start();
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
    w.fa()->SetCellText(1, 0, "Ann");
    w.document().MakeModified(false);
    return w;
}

void pressAppend(MainWindow& w)
{
    QTest::keyClick(w.fa(), Qt::Key_A, Qt::ControlModifier);
}

QString txtRow(MainWindow& w)
{
    return w.findChild<QLineEdit*>(QStringLiteral("txtRow"))->text();
}

} // namespace

class TestAppend : public QObject
{
    Q_OBJECT
  private slots:
    void appendsBelowAsOneUndoableChange();
    void acceptsNativeAndDelimited_data();
    void acceptsNativeAndDelimited();
    void cardsKeepTheirTextHidden();
    void refusesOrCancelsWithoutChange_data();
    void refusesOrCancelsWithoutChange();
    void unreadableFileChangesNothing();
    void stopsAtTheRecordLimit_data();
    void stopsAtTheRecordLimit();
};

void TestAppend::appendsBelowAsOneUndoableChange()
{
    ShellHarness h;
    MainWindow& w = startOnDocument(h);
    const QString file = h.path("more.cvt");
    Table more = threeRecords(12);
    more.setFormat(1, 0, CellFormat{0, true}); // its formatting is not carried over
    QVERIFY(NativeFile::save(more, file));
    const QString current = w.document().CurrentFile();
    h.platform.fileAnswers = {file};

    pressAppend(w);

    GridWidget* fa = w.fa();
    QCOMPARE(h.platform.messages.size(), 0);
    QCOMPARE(h.platform.dialogs.size(), 1);
    QCOMPARE(h.platform.dialogs[0].before.FileName, QString());
    QCOMPARE(fa->RowCount(), 14);
    QCOMPARE(fa->ColCount(), 12);
    QCOMPARE(fa->CellText(0, 0), QString("Name")); // a set title stays
    QCOMPARE(fa->CellText(0, 8), QString("T8"));   // empty titles are filled
    QCOMPARE(fa->CellText(0, 11), QString("T11"));
    QCOMPARE(fa->CellText(1, 0), QString("Ann"));
    QCOMPARE(fa->CellText(11, 0), QString("a0"));
    QCOMPARE(fa->CellText(11, 11), QString("a11"));
    QCOMPARE(fa->CellText(13, 0), QString("c0"));
    QVERIFY(!fa->table().format(11, 0).bold);
    QCOMPARE(fa->PickedRowCount(), 3);
    QCOMPARE(fa->PickedRow(0), 11);
    QCOMPARE(w.statusPanel(5), QString("3 Sel"));
    QCOMPARE(txtRow(w), QString("13"));
    QVERIFY(w.document().IsModified());
    QCOMPARE(w.document().CurrentFile(), current);
    QCOMPARE(w.document().FileKind(), Document::KindNative);
    QCOMPARE(w.commands().action("mnuUndo")->text(), QString("&Undo Append"));

    const Table appended = fa->table();
    QTest::keyClick(fa, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fa->RowCount(), 11);
    QCOMPARE(fa->ColCount(), 10);
    QCOMPARE(fa->CellText(0, 8), QString());
    QCOMPARE(fa->CellText(1, 0), QString("Ann"));
    QCOMPARE(txtRow(w), QString("10"));
    QVERIFY(w.statusPanel(6).endsWith(" / 10"));
    QVERIFY(!w.document().IsModified()); // back where it was saved
    QTest::keyClick(fa, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(fa->table() == appended);
    QVERIFY(w.document().IsModified());
}

void TestAppend::acceptsNativeAndDelimited_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text"); // empty: a native file
    QTest::newRow("native") << "more.cvt" << QByteArray();
    QTest::newRow("native, upper-case QRF") << "MORE.QRF" << QByteArray();
    QTest::newRow("comma") << "more.csv" << QByteArray("T0,T1\na0,a1\nb0,\nc0,\n");
    QTest::newRow("tab") << "more.txt" << QByteArray("T0\tT1\na0\ta1\nb0\t\nc0\t\n");
}

void TestAppend::acceptsNativeAndDelimited()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    ShellHarness h;
    MainWindow& w = startOnDocument(h);
    const QString file = h.path(name);
    if (text.isEmpty())
        QVERIFY(NativeFile::save(threeRecords(2), file));
    else
        writeText(file, text);
    h.platform.fileAnswers = {file};
    pressAppend(w);
    QCOMPARE(h.platform.messages.size(), 0);
    QCOMPARE(w.fa()->RowCount(), 14);
    QCOMPARE(w.fa()->ColCount(), 10);
    QCOMPARE(w.fa()->CellText(0, 0), QString("Name")); // the title line is not a record
    QCOMPARE(w.fa()->CellText(11, 1), QString("a1"));
    QCOMPARE(w.fa()->CellText(13, 0), QString("c0"));
}

// What cards hold beyond the document's columns comes as the hidden column
// it was, through undo and redo; a card cut short is repaired, and said.
void TestAppend::cardsKeepTheirTextHidden()
{
    ShellHarness h;
    MainWindow& w = startOnDocument(h);
    const QString file = h.path("more.vcf");
    writeText(file, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo Li\r\nCATEGORIES:Friends\r\n"
                    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cy Ng\r\nTEL:555-0100\r\nEND:VCARD\r\n");
    h.platform.fileAnswers = {file};
    pressAppend(w);
    QCOMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.messages[0].title, QString("Append"));
    QCOMPARE(h.platform.lastText(), "One card of " + file +
                                        " had no END:VCARD line and was repaired: it ends where "
                                        "the next card begins.");
    GridWidget* fa = w.fa();
    QCOMPARE(fa->CellText(12, 5), QString("555-0100"));
    QCOMPARE(fa->CellText(0, 10), QString("vCard"));
    QVERIFY(fa->isColumnHidden(10));
    QTest::keyClick(fa, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fa->ColCount(), 10);
    QTest::keyClick(fa, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(fa->ColCount(), 11);
    QVERIFY(fa->isColumnHidden(10));
}

void TestAppend::refusesOrCancelsWithoutChange_data()
{
    QTest::addColumn<QString>("answer"); // empty: the dialog is cancelled
    QTest::addColumn<QString>("message");
    QTest::newRow("cancelled") << QString() << QString();
    QTest::newRow("unknown type") << QString("/tmp/more.doc") << kRefused;
}

void TestAppend::refusesOrCancelsWithoutChange()
{
    QFETCH(QString, answer);
    QFETCH(QString, message);
    ShellHarness h;
    MainWindow& w = startOnDocument(h);
    const Table before = w.fa()->table();
    h.platform.fileAnswers = {answer.isEmpty() ? std::nullopt : std::optional(answer)};
    pressAppend(w);
    QCOMPARE(h.platform.lastText(), message);
    if (!message.isEmpty()) {
        QCOMPARE(h.platform.messages[0].title, QString("Open"));
        QCOMPARE(h.platform.messages[0].icon, MsgIcon::Exclamation);
    }
    QVERIFY(w.fa()->table() == before);
    QVERIFY(!w.document().IsModified());
}

void TestAppend::unreadableFileChangesNothing()
{
    ShellHarness h;
    MainWindow& w = startOnDocument(h);
    const QString file = h.path("damaged.cvt");
    writeText(file, "not a native file at all");
    const Table before = w.fa()->table();
    h.platform.fileAnswers = {file};
    pressAppend(w);
    QCOMPARE(h.platform.messages.size(), 1);
    QVERIFY2(h.platform.lastText().startsWith("Cannot open " + file + ".\n"),
             qPrintable(h.platform.lastText()));
    QVERIFY(h.platform.lastText().size() > QString("Cannot open " + file + ".\n").size());
    QVERIFY(w.fa()->table() == before);
    QVERIFY(!w.document().IsModified());
    QVERIFY(!w.commands().action("mnuUndo")->isEnabled());
}

void TestAppend::stopsAtTheRecordLimit_data()
{
    QTest::addColumn<int>("records"); // in the table before
    QTest::addColumn<int>("added");
    QTest::newRow("two of three fit") << AddressDefaults::MaxRecords - 2 << 2;
    QTest::newRow("the table is full") << AddressDefaults::MaxRecords << 0;
}

void TestAppend::stopsAtTheRecordLimit()
{
    QFETCH(int, records);
    QFETCH(int, added);
    ShellHarness h;
    MainWindow& w = startOnDocument(h);
    w.fa()->SetRowCount(records + 1);
    w.document().MakeModified(false);
    const QString file = h.path("more.cvt");
    QVERIFY(NativeFile::save(threeRecords(10), file));
    h.platform.fileAnswers = {file};
    pressAppend(w);
    QCOMPARE(w.fa()->RowCount() - 1, records + added);
    QCOMPARE(w.fa()->RowCount() - 1 <= AddressDefaults::MaxRecords, true);
    if (added > 0)
        QCOMPARE(w.fa()->CellText(records + added, 0), QString("b0"));
    QCOMPARE(w.document().IsModified(), added > 0);
    QCOMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.lastText(),
             QString("A table holds at most 200,001 records. The last %1 of the 3 records of %2 "
                     "were left out.")
                 .arg(3 - added)
                 .arg(file));
}

QTEST_MAIN(TestAppend)
#include "tst_append.moc"
