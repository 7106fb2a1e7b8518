// The File menu on the real main window: New, Open, Save and Save As of
// native and delimited files, with the scripted platform answering.
#include "commands/commandset.h"
#include "files/document.h"
#include "files/filecommands.h"
#include "files/nativefile.h"
#include "files/textencoding.h"
#include "filetesting.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace corvanta;

namespace {

const QString kCannotSavePrefix = QStringLiteral("Cannot save.\n");
const QString kCannotSaveSuffix = QStringLiteral("\nTry save as a different file name.");
const QString kHint = QStringLiteral("Use 'Save As...' Corvanta(*.cvt) from the 'File' menu if you "
                                     "want to save data as a RichText Corvanta file format.");

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
  private slots:
    void newResetsTableAndRoles();
    void openNative();
    void openCancelled_data();
    void openCancelled();
    void openFailureLeavesDocument_data();
    void openFailureLeavesDocument();
    void untitledSaveSequence();
    void saveAsThenSaveWritesNewPath();
    void saveAsFailureReported();
    void saveFailureReported();
    void nativeRoundTripOfFormattedTable();
    void openDelimited_data();
    void openDelimited();
    void openDelimitedReportsBadBytes_data();
    void openDelimitedReportsBadBytes();
    void openDelimitedFirstLineData_data();
    void openDelimitedFirstLineData();
    void openEmptyDelimitedFile_data();
    void openEmptyDelimitedFile();
    void delimitedSaveWritesOwnFormatWithHint();
    void exportsKeepDocument_data();
    void exportsKeepDocument();
    void exportCancelledChangesNothing();
    void exportFailureReported();
    void overwriteEscapedSavesNothing();
    void outOfMemoryKeepsDocument_data();
    void outOfMemoryKeepsDocument();
    void saveFailureNamesCause_data();
    void saveFailureNamesCause();
    void saveKeepsEncoding_data();
    void saveKeepsEncoding();
    void unencodableAsksForUtf8_data();
    void unencodableAsksForUtf8();
};

void TestFileCommands::newResetsTableAndRoles()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.fa()->SetColCount(14);
    w.fa()->SetCellText(0, 0, "Other");
    w.fa()->SetCellText(3, 2, "keep?");
    ColumnRoles roles = w.document().roles();
    roles.mail = 2;
    roles.map = 9;
    w.document().setRoles(roles);
    w.document().MakeModified(false);
    trigger(w, "mnuNew");
    QCOMPARE(h.platform.messages.size(), 0); // not modified: no question
    QCOMPARE(w.fa()->RowCount(), 11);
    QCOMPARE(w.fa()->ColCount(), 10);
    QCOMPARE(w.fa()->CellText(0, 0), QString("Name"));
    QCOMPARE(w.fa()->CellText(3, 2), QString());
    QCOMPARE(w.document().roles().mail, 6);
    QCOMPARE(w.document().roles().map, 1);
    QCOMPARE(w.windowTitle(), QString("Corvanta Address Book -- Untitled.cvt"));
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(w.findChild<QLineEdit*>("txtRow")->text(), QString("10"));
    QCOMPARE(w.findChild<QLineEdit*>("txtCol")->text(), QString("10"));
    QCOMPARE(w.fb()->RowCount(), 11);
    QCOMPARE(w.fb()->ColumnAlign(0), int(AlignRight)); // the panel's titles
}

void TestFileCommands::openNative()
{
    ShellHarness h;
    QDir().mkpath(h.path("data"));
    const QString file = h.path("data/a.cvt");
    Table t(3, 12);
    t.setText(0, 0, u"Name");
    t.setText(0, 11, u"Extra");
    t.setText(2, 11, u"last");
    QVERIFY(NativeFile::save(t, file));
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, "mnuOpen_0");
    QCOMPARE(h.platform.dialogs.size(), 1);
    const CommonDialog& shown = h.platform.dialogs.first().before;
    QCOMPARE(shown.DefaultExt, QString("*.cvt"));
    QCOMPARE(shown.Filter, QString("Corvanta Files (*.cvt)|*.cvt|All Files (*.*)|*.*"));
    QCOMPARE(shown.FileName, QString("*.cvt"));
    QCOMPARE(shown.Flags.toInt(), 4);
    QCOMPARE(shown.InitDir, h.programFolder);
    QCOMPARE(w.document().OpenFolder(), h.path("data/"));
    QCOMPARE(w.document().StartupFile(), file);
    QCOMPARE(w.document().CurrentFile(), file);
    QCOMPARE(int(w.document().FileKind()), 2);
    QCOMPARE(w.windowTitle(), "Corvanta Address Book [" + file + "]");
    QCOMPARE(w.fa()->ColCount(), 12);
    QCOMPARE(w.fa()->CellText(2, 11), QString("last"));
    QCOMPARE(w.fb()->RowCount(), 13);
    QCOMPARE(w.fb()->CellText(12, 0), QString("Extra"));
    QCOMPARE(w.findChild<QLineEdit*>("txtRow")->text(), QString("2"));
    QCOMPARE(w.findChild<QLineEdit*>("txtCol")->text(), QString("12"));
    QVERIFY(!w.document().IsModified());
    QCOMPARE(w.statusPanel(3), QString("ROW"));
}

void TestFileCommands::openCancelled_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("left");
    QTest::addColumn<bool>("promptCancelled");
    QTest::newRow("native cancel button") << "mnuOpen_0" << QString() << false;
    QTest::newRow("native pattern left") << "mnuOpen_0"
                                         << "*.cvt" << false;
    QTest::newRow("native all files pattern") << "mnuOpen_0"
                                              << "*.*" << false;
    QTest::newRow("comma pattern left") << "mnuOpenCSV_0"
                                        << "*.csv" << false;
    QTest::newRow("comma data cancel button") << "mnuOpenCSV_1" << QString() << false;
    QTest::newRow("tab pattern left") << "mnuOpenTAB_1"
                                      << "*.txt" << false;
    QTest::newRow("tab cancel button") << "mnuOpenTAB_0" << QString() << false;
    QTest::newRow("comma save prompt cancelled") << "mnuOpenCSV_0" << QString() << true;
    QTest::newRow("tab save prompt cancelled") << "mnuOpenTAB_0" << QString() << true;
}

void TestFileCommands::openCancelled()
{
    QFETCH(QString, action);
    QFETCH(QString, left);
    QFETCH(bool, promptCancelled);
    ShellHarness h;
    MainWindow& w = h.start();
    const QString before = w.windowTitle();
    if (promptCancelled) {
        w.document().MakeModified(true);
        h.platform.answers << MsgAnswer::Cancel;
    } else {
        h.platform.fileAnswers << (left.isNull() ? std::optional<QString>() : left);
    }
    trigger(w, action.toLatin1().constData());
    QCOMPARE(h.platform.dialogs.size(), promptCancelled ? 0 : 1);
    QCOMPARE(h.platform.messages.size(), promptCancelled ? 1 : 0);
    QCOMPARE(int(w.document().FileKind()), 2);
    QCOMPARE(w.windowTitle(), before);
    QCOMPARE(w.document().OpenFolder(), h.programFolder);
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(w.fa()->CellText(0, 0), QString("Name"));
}

void TestFileCommands::openFailureLeavesDocument_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing file") << "mnuOpen_0" << QByteArray() << false;
    QTest::newRow("not a native file")
        << "mnuOpen_0" << QByteArray("Name,City\r\nAnn,Rome\r\n") << true;
    QTest::newRow("empty file") << "mnuOpen_0" << QByteArray() << true;
    QTest::newRow("missing comma file, header") << "mnuOpenCSV_0" << QByteArray() << false;
    QTest::newRow("missing comma file, data") << "mnuOpenCSV_1" << QByteArray() << false;
    QTest::newRow("missing tab file") << "mnuOpenTAB_0" << QByteArray() << false;
    QTest::newRow("a folder, not a file") << "mnuOpenTAB_1" << QByteArray("dir") << false;
}

void TestFileCommands::openFailureLeavesDocument()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    ShellHarness h;
    const QString file = h.path("broken.cvt");
    if (exists)
        writeFile(file, content);
    if (content == "dir")
        QDir().mkpath(file);
    MainWindow& w = h.start();
    w.fa()->SetCellText(1, 0, "Unsaved work");
    w.document().MakeModified(true);
    h.platform.answers << MsgAnswer::No;
    h.platform.fileAnswers << file;
    trigger(w, action.toLatin1().constData());
    QCOMPARE(h.platform.messages.size(), 2);
    const FakePlatform::Shown& m = h.platform.messages.last();
    QVERIFY2(m.text.startsWith("Cannot open " + file + ".\n"), qPrintable(m.text));
    QVERIFY(m.text.size() > QString("Cannot open " + file + ".\n").size()); // carries a reason
    QCOMPARE(m.icon, MsgIcon::Critical);
    QCOMPARE(w.fa()->CellText(1, 0), QString("Unsaved work"));
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(w.windowTitle(), QString("Corvanta Address Book -- Untitled.cvt"));
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));
    QVERIFY(w.document().IsModified());
    QCOMPARE(int(w.document().FileKind()), 2);
    QCOMPARE(w.document().OpenFolder(), h.programFolder);
    // The user's file is untouched.
    if (exists)
        QCOMPARE(readFile(file), content);
}

void TestFileCommands::untitledSaveSequence()
{
    ShellHarness h;
    MainWindow& w = h.start();
    const QString untitled = h.inProgram("Untitled.cvt");
    w.fa()->SetCellText(1, 0, "First");
    w.document().MakeModified(true);
    trigger(w, "mnuSave");
    QCOMPARE(h.platform.messages.size(), 0); // first save asks nothing
    QVERIFY(QFile::exists(untitled));
    QVERIFY(!w.document().IsModified());

    // Later saves ask; Yes overwrites.
    w.fa()->SetCellText(1, 0, "Second");
    w.document().MakeModified(true);
    h.platform.answers << MsgAnswer::Yes;
    trigger(w, "mnuSave");
    QCOMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.messages[0].text, "Do you want to overwrite " + untitled + "?");
    QCOMPARE(h.platform.messages[0].title, QString("Save"));
    QCOMPARE(h.platform.messages[0].buttons, MsgButtons::YesNo);
    QCOMPARE(h.platform.messages[0].icon, MsgIcon::Question);
    Table back;
    QVERIFY(NativeFile::load(untitled, back));
    QCOMPARE(back.text(1, 0), QString("Second"));
    QVERIFY(!w.document().IsModified());

    // No leads to Save As; cancelling it leaves the flag.
    w.fa()->SetCellText(1, 0, "Third");
    w.document().MakeModified(true);
    h.platform.answers << MsgAnswer::No;
    h.platform.fileAnswers << std::nullopt;
    trigger(w, "mnuSave");
    QCOMPARE(h.platform.dialogs.size(), 1);
    QVERIFY(h.platform.dialogs[0].save);
    QCOMPARE(h.platform.dialogs[0].before.Filter, QString("Corvanta Files (*.cvt)|*.cvt"));
    QCOMPARE(h.platform.dialogs[0].before.Flags.toInt(), 2);
    QCOMPARE(h.platform.dialogs[0].before.FileName, QString());
    QVERIFY(w.document().IsModified());

    // No, then a name: the document moves there.
    const QString named = h.path("named.cvt");
    h.platform.answers << MsgAnswer::No;
    h.platform.fileAnswers << named;
    trigger(w, "mnuSave");
    QVERIFY(QFile::exists(named));
    QCOMPARE(w.document().CurrentFile(), named);
    QCOMPARE(w.document().StartupFile(), named);
    QCOMPARE(w.windowTitle(), "Corvanta Address Book -- " + named);
    QVERIFY(!w.document().IsModified());
    QVERIFY(NativeFile::load(untitled, back));
    QCOMPARE(back.text(1, 0), QString("Second"));
}

void TestFileCommands::saveAsThenSaveWritesNewPath()
{
    ShellHarness h;
    MainWindow& w = h.start();
    const QString named = h.path("book.cvt");
    h.platform.fileAnswers << named;
    trigger(w, "mnuSaveAsCVT");
    QVERIFY(QFile::exists(named));
    w.fa()->SetCellText(2, 2, "Rome");
    w.document().MakeModified(true);
    trigger(w, "mnuSave");
    QCOMPARE(h.platform.messages.size(), 0);
    QCOMPARE(h.platform.dialogs.size(), 1);
    Table back;
    QVERIFY(NativeFile::load(named, back));
    QCOMPARE(back.text(2, 2), QString("Rome"));
}

void TestFileCommands::saveAsFailureReported()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.document().MakeModified(true);
    const QString title = w.windowTitle();
    h.platform.fileAnswers << h.path("no/such/folder/book.cvt");
    trigger(w, "mnuSaveAsCVT");
    QCOMPARE(h.platform.messages.size(), 1);
    const FakePlatform::Shown& m = h.platform.messages.first();
    QVERIFY(m.text.startsWith(kCannotSavePrefix));
    QVERIFY(m.text.endsWith(kCannotSaveSuffix));
    QCOMPARE(m.icon, MsgIcon::Critical);
    QCOMPARE(m.title, QString());
    QCOMPARE(w.windowTitle(), title);
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));
    QVERIFY(w.document().IsModified());
}

void TestFileCommands::saveFailureReported()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.document().setCurrentFile(h.path("missing/dir/book.cvt"));
    w.document().MakeModified(true);
    trigger(w, "mnuSave");
    QCOMPARE(h.platform.messages.size(), 1);
    QVERIFY(h.platform.lastText().startsWith(kCannotSavePrefix));
    QVERIFY(h.platform.lastText().endsWith(kCannotSaveSuffix));
    QVERIFY(w.document().IsModified());
}

void TestFileCommands::nativeRoundTripOfFormattedTable()
{
    ShellHarness h;
    MainWindow& w = h.start();
    GridWidget* fa = w.fa();
    fa->SetCellText(1, 0, "Zoë \"Q\" Müller");
    fa->SetCellText(1, 1, "Line one\nLine two\tTabbed");
    fa->SetCellText(10, 9, "last");
    fa->SetCellProp(PropFontBold, 1, 0, true);
    fa->SetCellProp(PropForeColor, 1, 0, quint32(0x800000));
    fa->SetCellProp(PropBackColor, 2, 1, quint32(0x00FFFF), 3, 2);
    fa->SetCellProp(PropAlignment, 4, 4, 4);
    fa->SetColumnType(5, 6);
    fa->SetColumnFormat(5, "$#,###.00");
    fa->SetColumnHidden(8, true);
    fa->SetColumnWidth(2, 2500);
    fa->SetRowHeightOf(3, 720);
    const Table before = fa->table();
    const QString file = h.path("formatted.cvt");
    h.platform.fileAnswers << file;
    trigger(w, "mnuSaveAsCVT");
    trigger(w, "mnuNew");
    QCOMPARE(fa->CellText(1, 0), QString());
    h.platform.fileAnswers << file;
    trigger(w, "mnuOpen_0");
    QVERIFY(fa->table() == before);
    QCOMPARE(fa->CellProp(PropFontBold, 1, 0).toBool(), true);
    QCOMPARE(fa->ColumnFormat(5), QString("$#,###.00"));
    QCOMPARE(fa->RowHeightOf(3), 720);
    QVERIFY(fa->ColumnHidden(8));
}

void TestFileCommands::openDelimited_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("filter");
    QTest::newRow("comma header") << "mnuOpenCSV_0"
                                  << "people.csv" << QByteArray("Name,City\r\nAnn,Rome\r\n") << 3
                                  << "Comma Delimited Files (*.csv)|*.csv|All Files (*.*)|*.*";
    QTest::newRow("tab header splits at tabs")
        << "mnuOpenTAB_0"
        << "people.txt" << QByteArray("Name\tCity\nAnn, Jr\tRome\n") << 4
        << "Tab Delimited Files (*.txt)|*.txt|All Files (*.*)|*.*";
    QTest::newRow("toolbar comma item")
        << "tbr_OPEN_CSV"
        << "people.csv" << QByteArray("Name,City\nAnn,Rome") << 3
        << "Comma Delimited Files (*.csv)|*.csv|All Files (*.*)|*.*";
}

void TestFileCommands::openDelimited()
{
    QFETCH(QString, action);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, kind);
    QFETCH(QString, filter);
    ShellHarness h;
    const QString file = h.path(name);
    writeFile(file, content);
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, action.toLatin1().constData());
    const CommonDialog& shown = h.platform.dialogs.first().before;
    QCOMPARE(shown.Filter, filter);
    QCOMPARE(shown.DefaultExt, kind == 3 ? QString("*.csv") : QString("*.txt"));
    QCOMPARE(shown.FileName, kind == 3 ? QString("*.csv") : QString("*.txt"));
    QCOMPARE(shown.Flags.toInt(), 4);
    GridWidget* fa = w.fa();
    QCOMPARE(fa->ColCount(), 2);
    QCOMPARE(fa->RowCount(), 2);
    QCOMPARE(fa->CellText(0, 0), QString("Name"));
    QCOMPARE(fa->CellText(0, 1), QString("City"));
    QCOMPARE(fa->CellText(1, 0), kind == 3 ? QString("Ann") : QString("Ann, Jr"));
    QCOMPARE(fa->CellText(1, 1), QString("Rome"));
    QCOMPARE(int(w.document().FileKind()), kind);
    QCOMPARE(w.document().CurrentFile(), file);
    QCOMPARE(w.document().OpenFolder(), h.dir.path() + "/");
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));
    QCOMPARE(w.windowTitle(), "Corvanta Address Book [" + file + "]");
    QCOMPARE(w.findChild<QLineEdit*>("txtRow")->text(), QString("1"));
    QVERIFY(!w.document().IsModified());
}

// Bytes that are not UTF-8 in an otherwise UTF-8 file become U+FFFD, and
// the user is told where the first one was, whichever way the file came
// in; trailing blank lines add no records.
void TestFileCommands::openDelimitedReportsBadBytes_data()
{
    QTest::addColumn<QString>("action"); // or how else the file is opened
    QTest::addColumn<int>("firstRecord");
    QTest::newRow("titles") << "mnuOpenCSV_0" << 1;
    QTest::newRow("first line is data") << "mnuOpenCSV_1" << 2;
    QTest::newRow("command line") << "" << 1;
    QTest::newRow("Recent Files") << "mnuRecent_0" << 1;
    QTest::newRow("Append") << "mnuAppend" << 11;
}

void TestFileCommands::openDelimitedReportsBadBytes()
{
    QFETCH(QString, action);
    QFETCH(int, firstRecord);
    ShellHarness h;
    const QString file = h.path("people.csv");
    writeFile(file, QString("Name,City\r\nZoë,Ñandú\r\nJosé,Köln").toUtf8() + "\xFF\r\n\r\n");
    h.settings->write("RecentFile1", "csv|" + file);
    MainWindow& w = h.start(action.isEmpty() ? file : QString());
    const qsizetype shown = action.isEmpty() ? 0 : h.platform.messages.size();
    if (!action.isEmpty()) {
        h.platform.fileAnswers << file;
        trigger(w, action.toLatin1().constData());
    }
    QCOMPARE(h.platform.messages.size(), shown + 1);
    QCOMPARE(h.platform.lastText(),
             "Some bytes of " + file + " are not valid UTF-8 and were replaced, first on line 3.");
    QCOMPARE(w.fa()->RowCount(), firstRecord + 2);
    QCOMPARE(w.fa()->CellText(firstRecord + 1, 1), QStringLiteral("Köln\uFFFD"));
    if (action != "mnuAppend")
        QCOMPARE(w.document().CurrentFile(), file);
}

void TestFileCommands::openDelimitedFirstLineData_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kind");
    QTest::newRow("comma") << "mnuOpenCSV_1"
                           << QByteArray("Name,City\r\n\"Ann \"\"A\"\"\",\"Rome\r\nItaly\"\r\n")
                           << 3;
    QTest::newRow("tab") << "mnuOpenTAB_1"
                         << QByteArray("Name\tCity\n\"Ann \"\"A\"\"\"\t\"Rome\r\nItaly\"\n") << 4;
}

void TestFileCommands::openDelimitedFirstLineData()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, content);
    QFETCH(int, kind);
    ShellHarness h;
    const QString file = h.path(kind == 3 ? "people.csv" : "people.txt");
    writeFile(file, content);
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, action.toLatin1().constData());
    GridWidget* fa = w.fa();
    QCOMPARE(fa->RowCount(), 3);
    QCOMPARE(fa->ColCount(), 2);
    QCOMPARE(fa->CellText(0, 0), QString());
    QCOMPARE(fa->CellText(1, 0), QString("Name"));
    QCOMPARE(fa->CellText(2, 0), QString("Ann \"A\""));
    QCOMPARE(fa->CellText(2, 1), QString("Rome\r\nItaly"));
    QCOMPARE(w.findChild<QLineEdit*>("txtRow")->text(), QString("2"));
    QCOMPARE(int(w.document().FileKind()), kind);
    QCOMPARE(w.document().CurrentFile(), file);
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));
    QCOMPARE(w.windowTitle(), "Corvanta Address Book [" + file + "]");
    QVERIFY(!w.document().IsModified());
    // The imported block stays on the clipboard as text.
    const QString clip = QGuiApplication::clipboard()->text();
    QVERIFY2(clip.startsWith("Name\tCity"), qPrintable(clip));
    QVERIFY(clip.contains("Ann \"A\""));
}

void TestFileCommands::openEmptyDelimitedFile_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("comma header, empty") << "mnuOpenCSV_0" << QByteArray();
    QTest::newRow("comma data, empty") << "mnuOpenCSV_1" << QByteArray();
    QTest::newRow("tab header, one empty line") << "mnuOpenTAB_0" << QByteArray("\r\n");
    QTest::newRow("tab data, one empty line") << "mnuOpenTAB_1" << QByteArray("\n");
    QTest::newRow("native, no rows or columns") << "mnuOpen_0" << NativeFile::encode(Table());
}

void TestFileCommands::openEmptyDelimitedFile()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, content);
    ShellHarness h;
    const QString file = h.path("empty.txt");
    writeFile(file, content);
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, action.toLatin1().constData());
    QCOMPARE(h.platform.messages.size(), 0);
    GridWidget* fa = w.fa();
    // Never less than the title row and one column, as before any load.
    QVERIFY(fa->ColCount() >= 1);
    QVERIFY(fa->RowCount() >= 1);
    QCOMPARE(w.findChild<QLineEdit*>("txtRow")->text(), QString::number(fa->RowCount() - 1));
    QCOMPARE(w.fb()->RowCount(), fa->ColCount() + 1);
    QCOMPARE(w.document().CurrentFile(), file);
    QVERIFY(!w.document().IsModified());
    // The document can be saved back.
    w.document().MakeModified(true);
    trigger(w, "mnuSave");
    QVERIFY(!w.document().IsModified());
}

void TestFileCommands::delimitedSaveWritesOwnFormatWithHint()
{
    ShellHarness h;
    const QString file = h.path("people.txt");
    writeFile(file, "Name\tCity\nAnn\tRome\n");
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, "mnuOpenTAB_0");
    w.fa()->SetCellText(1, 1, "Oslo");
    w.document().MakeModified(true);
    for (int i = 0; i < 2; ++i) {
        trigger(w, "mnuSave");
        QCOMPARE(h.platform.messages.size(), i + 1);
        QCOMPARE(h.platform.messages.last().text, kHint);
        QCOMPARE(h.platform.messages.last().icon, MsgIcon::Information);
        QCOMPARE(h.platform.messages.last().title, QString());
        QVERIFY(!w.document().IsModified());
        w.document().MakeModified(true);
    }
    QCOMPARE(readFile(file), QByteArray("Name\tCity\r\nAnn\tOslo\r\n"));
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));
}

void TestFileCommands::exportsKeepDocument_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("ownFile"); // a comma document written over itself
    QTest::newRow("comma") << "mnuSaveAsComma"
                           << "Comma Delimited Text Files (*.csv)|*.csv"
                           << QByteArray("Name,City\r\n\"Ann, Jr\",Rome\r\n") << false;
    QTest::newRow("tab") << "mnuSaveAsTab"
                         << "Tab Delimited Text Files (*.txt)|*.txt"
                         << QByteArray("Name\tCity\r\n\"Ann, Jr\"\tRome\r\n") << false;
    QTest::newRow("comma over the document's own file")
        << "mnuSaveAsComma"
        << "Comma Delimited Text Files (*.csv)|*.csv"
        << QByteArray("Name,City\r\n\"Ann, Jr\",Rome\r\n") << true;
}

void TestFileCommands::exportsKeepDocument()
{
    QFETCH(QString, action);
    QFETCH(QString, filter);
    QFETCH(QByteArray, expected);
    QFETCH(bool, ownFile);
    ShellHarness h;
    MainWindow& w = h.start();
    const QString out = h.path("export.out");
    if (ownFile) {
        writeFile(out, "Name\r\n");
        w.document().setLoaded(out, Document::KindComma);
    }
    GridWidget* fa = w.fa();
    fa->SetColCount(2);
    fa->SetRowCount(2);
    fa->SetCellText(0, 1, "City");
    fa->SetCellText(1, 0, "Ann, Jr");
    fa->SetCellText(1, 1, "Rome");
    w.document().MakeModified(true);
    h.platform.fileAnswers << out;
    trigger(w, action.toLatin1().constData());
    const CommonDialog& shown = h.platform.dialogs.first().before;
    QCOMPARE(shown.Filter, filter);
    QCOMPARE(shown.Flags.toInt(), 2);
    QCOMPARE(shown.FileName, QString());
    QByteArray bytes = readFile(out);
    if (action == "mnuSaveAsTab")
        expected.replace("\"Ann, Jr\"", "Ann, Jr"); // commas need no quotes between TABs
    QCOMPARE(bytes, expected);
    QCOMPARE(w.windowTitle(), "Corvanta Address Book -- " + out);
    // An export leaves the changes unsaved: the document's file lacks them.
    QCOMPARE(w.document().IsModified(), !ownFile);
    if (ownFile)
        return;
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(int(w.document().FileKind()), 2);
    // Save still writes the document's own file.
    w.document().MakeModified(true);
    trigger(w, "mnuSave");
    QVERIFY(QFile::exists(h.inProgram("Untitled.cvt")));
}

void TestFileCommands::exportCancelledChangesNothing()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.document().MakeModified(true);
    const QString title = w.windowTitle();
    h.platform.fileAnswers << std::nullopt;
    trigger(w, "mnuSaveAsComma");
    QVERIFY(w.document().IsModified());
    QCOMPARE(w.windowTitle(), title);
}

void TestFileCommands::exportFailureReported()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.document().MakeModified(true);
    const QString title = w.windowTitle();
    h.platform.fileAnswers << h.path("nowhere/x.csv");
    trigger(w, "mnuSaveAsComma");
    QCOMPARE(h.platform.messages.size(), 1);
    QVERIFY(h.platform.lastText().startsWith(kCannotSavePrefix));
    QCOMPARE(h.platform.messages.first().icon, MsgIcon::Critical);
    QVERIFY(w.document().IsModified());
    QCOMPARE(w.windowTitle(), title);
}

// Esc on the overwrite question is neither Yes nor No: nothing is written
// and no Save As dialog follows.
void TestFileCommands::overwriteEscapedSavesNothing()
{
    ShellHarness h;
    writeFile(h.inProgram("Untitled.cvt"), "old");
    MainWindow& w = h.start();
    w.fa()->SetCellText(1, 0, "Ann");
    h.platform.answers << MsgAnswer::Escape;
    trigger(w, "mnuSave");
    QCOMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.dialogs.size(), 0);
    QCOMPARE(readFile(h.inProgram("Untitled.cvt")), QByteArray("old"));
    QVERIFY(w.document().IsModified());
}

void TestFileCommands::outOfMemoryKeepsDocument_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("native") << "mnuOpen_0";
    QTest::newRow("comma, first line header") << "mnuOpenCSV_0";
    QTest::newRow("tab, first line data") << "mnuOpenTAB_1";
}

// A file larger than memory: the reader gives up with std::bad_alloc, and
// the open document stays as it was.
void TestFileCommands::outOfMemoryKeepsDocument()
{
    QFETCH(QString, action);
    ShellHarness h;
    const QString file = h.path("huge.cvt");
    writeFile(file, "x");
    MainWindow& w = h.start();
    w.files().setLoader([](TableModel&, const QString&, FileFormat, bool,
                           Delimited::ReadInfo*) -> FileStatus { throw std::bad_alloc(); });
    w.fa()->SetCellText(1, 0, "Unsaved work");
    const Table before = w.fa()->table();
    h.platform.answers << MsgAnswer::No;
    h.platform.fileAnswers << file;
    trigger(w, action.toLatin1().constData());
    QCOMPARE(h.platform.messages.size(), 2);
    QCOMPARE(h.platform.lastText(),
             "Cannot open " + file + ".\nNot enough memory to read the file.");
    QCOMPARE(w.fa()->RowCount(), before.rowCount());
    QCOMPARE(w.fa()->ColCount(), before.colCount());
    for (int r = 0; r < before.rowCount(); ++r)
        for (int c = 0; c < before.colCount(); ++c)
            QCOMPARE(w.fa()->CellText(r, c), before.text(r, c));
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QVERIFY(w.document().IsModified());
}

void TestFileCommands::saveFailureNamesCause_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("fileKind"); // the document's, for Save
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    const QString notRegular = "book.dat is not a regular file";
    const QString tooLarge = QString::fromLocal8Bit(::strerror(EFBIG));
    QTest::newRow("save native over a FIFO") << "mnuSave" << 2 << "fifo" << notRegular;
    QTest::newRow("save comma over a link loop") << "mnuSave" << 3 << "symlink loop" << notRegular;
    QTest::newRow("save TAB over a device") << "mnuSave" << 4 << "char device" << notRegular;
    QTest::newRow("save over a read-only file") << "mnuSave" << 2 << "read-only"
                                                << "book.dat is read-only";
    QTest::newRow("save as native over a FIFO") << "mnuSaveAsCVT" << 2 << "fifo" << notRegular;
    QTest::newRow("export TAB over a FIFO") << "mnuSaveAsTab" << 2 << "fifo" << notRegular;
    QTest::newRow("save native past a size limit") << "mnuSave" << 2 << "size limit" << tooLarge;
    QTest::newRow("save comma past a size limit") << "mnuSave" << 3 << "size limit" << tooLarge;
    QTest::newRow("export comma past a size limit")
        << "mnuSaveAsComma" << 2 << "size limit" << tooLarge;
}

// Every save refuses what is not a writable regular file, and a write that
// fails (a file-size limit stands in for a full disk) says why; the target
// stays as it was, the work stays unsaved and no temporary file is left.
void TestFileCommands::saveFailureNamesCause()
{
    QFETCH(QString, action);
    QFETCH(int, fileKind);
    QFETCH(QString, target);
    QFETCH(QString, reason);
    ShellHarness h;
    const QString path = h.path("out/book.dat");
    QVERIFY(QDir().mkpath(h.path("out")));
    const QByteArray p = QFile::encodeName(path);
    bool made = true;
    if (target == "fifo")
        made = ::mkfifo(p.constData(), 0644) == 0;
    else if (target == "symlink loop")
        made = ::symlink(p.constData(), p.constData()) == 0;
    else if (target == "char device") // our own node with the null device's numbers
        made = ::geteuid() == 0 && ::mknod(p.constData(), S_IFCHR | 0644, makedev(1, 3)) == 0;
    else
        writeFile(path, "old");
    if (target == "read-only")
        made = ::chmod(p.constData(), 0444) == 0;
    if (!made)
        QSKIP("cannot make this kind of file here");
    struct stat before = {}, after = {};
    QCOMPARE(::lstat(p.constData(), &before), 0);

    MainWindow& w = h.start();
    Table big(3001, 4); // well past 64 KiB in every format
    for (int r = 0; r < big.rowCount(); ++r)
        for (int c = 0; c < 4; ++c)
            big.setText(r, c, QStringLiteral("cell %1 of row %2").arg(c).arg(r));
    w.fa()->gridModel()->replaceTable(std::move(big));
    if (action == "mnuSave")
        w.document().setLoaded(path, Document::Kind(fileKind));
    else
        h.platform.fileAnswers << path;
    w.document().MakeModified(true);

    rlimit saved = {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (target == "size limit") {
        const rlimit small = {64 * 1024, saved.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    trigger(w, action.toLatin1().constData());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.lastText(), kCannotSavePrefix + reason + kCannotSaveSuffix);
    QCOMPARE(h.platform.messages.first().icon, MsgIcon::Critical);
    QVERIFY(w.document().IsModified());
    QCOMPARE(::lstat(p.constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    if (S_ISREG(before.st_mode))
        QCOMPARE(readFile(path), QByteArray("old"));
    QCOMPARE(QDir(h.path("out"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
             QStringList{"book.dat"});
}

void TestFileCommands::saveKeepsEncoding_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    auto utf16 = [](const QString& text, bool bigEndian) {
        QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        if (bigEndian)
            for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
                std::swap(bytes[i], bytes[i + 1]);
        return QByteArray(bigEndian ? "\xFE\xFF" : "\xFF\xFE") + bytes;
    };
    // The file holds "Zo\u00eb"; the user makes it "Zo\u00eb \u20ac".
    const QString before = QStringLiteral("Name\tCity\r\nZo\u00eb\tRome\r\n");
    const QString after = QStringLiteral("Name\tCity\r\nZo\u00eb \u20ac\tRome\r\n");
    QTest::newRow("UTF-8") << int(TextEncoding::Utf8) << before.toUtf8() << after.toUtf8();
    QTest::newRow("UTF-8 with BOM")
        << int(TextEncoding::Utf8Bom) << QByteArray("\xEF\xBB\xBF") + before.toUtf8()
        << QByteArray("\xEF\xBB\xBF") + after.toUtf8();
    QTest::newRow("UTF-16 LE") << int(TextEncoding::Utf16LE) << utf16(before, false)
                               << utf16(after, false);
    QTest::newRow("UTF-16 BE") << int(TextEncoding::Utf16BE) << utf16(before, true)
                               << utf16(after, true);
    QTest::newRow("windows-1252") << int(TextEncoding::Windows1252)
                                  << QByteArray("Name\tCity\r\nZo\xEB\tRome\r\n")
                                  << QByteArray("Name\tCity\r\nZo\xEB \x80\tRome\r\n");
}

// Save writes a delimited document back in the encoding it was read in;
// Save As TAB writes UTF-8 whatever the document's encoding.
void TestFileCommands::saveKeepsEncoding()
{
    QFETCH(int, encoding);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    ShellHarness h;
    const QString file = h.path("people.txt");
    writeFile(file, input);
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, "mnuOpenTAB_0");
    QCOMPARE(int(w.document().textEncoding()), encoding);
    w.fa()->SetCellText(1, 0, QStringLiteral("Zo\u00eb \u20ac"));
    trigger(w, "mnuSave");
    QCOMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.lastText(), kHint);
    QCOMPARE(readFile(file), expected);
    QVERIFY(!w.document().IsModified());

    const QString exported = h.path("export.txt");
    h.platform.fileAnswers << exported;
    trigger(w, "mnuSaveAsTab");
    QCOMPARE(readFile(exported),
             QStringLiteral("Name\tCity\r\nZo\u00eb \u20ac\tRome\r\n").toUtf8());
    QCOMPARE(int(w.document().textEncoding()), encoding);
}

void TestFileCommands::unencodableAsksForUtf8_data()
{
    QTest::addColumn<int>("answerCode");
    QTest::newRow("yes") << int(MsgAnswer::Yes);
    QTest::newRow("no") << int(MsgAnswer::No);
    QTest::newRow("escape") << int(MsgAnswer::Escape);
}

// A character windows-1252 lacks is never written as "?": the user chooses
// UTF-8 or no save at all.
void TestFileCommands::unencodableAsksForUtf8()
{
    QFETCH(int, answerCode);
    const auto answer = MsgAnswer(answerCode);
    ShellHarness h;
    const QString file = h.path("people.csv");
    writeFile(file, "Name,City\nZo\xEB,Rome\n");
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, "mnuOpenCSV_0");
    w.files().rememberEncoding(TextEncoding::Windows1252);
    w.fa()->SetCellText(1, 1, QStringLiteral("\u03a9mega"));
    h.platform.answers << answer;
    trigger(w, "mnuSave");

    const FakePlatform::Shown& q = h.platform.messages.first();
    QCOMPARE(q.text, file + QStringLiteral(" is in windows-1252, which cannot hold every character "
                                           "of the table. Do you want to save it as UTF-8 "
                                           "instead?"));
    QCOMPARE(q.title, QStringLiteral("Save"));
    QCOMPARE(q.icon, MsgIcon::Question);
    QCOMPARE(q.buttons, MsgButtons::YesNo);
    if (answer == MsgAnswer::Yes) {
        QCOMPARE(readFile(file), QStringLiteral("Name,City\r\nZo\u00eb,\u03a9mega\r\n").toUtf8());
        QCOMPARE(h.platform.lastText(), kHint);
        QVERIFY(!w.document().IsModified());
        QCOMPARE(w.document().textEncoding(), TextEncoding::Utf8);
    } else {
        QCOMPARE(h.platform.messages.size(), 1);
        QCOMPARE(readFile(file), QByteArray("Name,City\nZo\xEB,Rome\n"));
        QVERIFY(w.document().IsModified());
        QCOMPARE(w.document().textEncoding(), TextEncoding::Windows1252);
    }
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
