// vCard and semicolon text on the real main window: File > Open > vCard,
// Save As > vCard, Save of either kind of document, and a file named on
// the command line, with the scripted platform answering.
#include "commands/commandset.h"
#include "files/document.h"
#include "filetesting.h"
#include "grid/gridwidget.h"
#include "shellharness.h"
#include "table/tablecommands.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTest>

using namespace corvanta;

namespace {

const QString kHint = QStringLiteral("Use 'Save As...' Corvanta(*.cvt) from the 'File' menu if you "
                                     "want to save data as a RichText Corvanta file format.");

const QByteArray kCards =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Lee\r\nTEL:555-0100\r\n"
    "TEL:555-0199\r\nORG:Acme\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Stone;Bob\r\nEMAIL;PREF:bob@x.example\r\n"
    "END:VCARD\r\n";

// Types `text` into a record cell the way a user does, and saves with
// Ctrl+S from the open editor.
void typeAndSave(MainWindow& w, int row, int col, const QString& text)
{
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    w.tableCommands().mnuMouseMode_Click(1);
    GridWidget* fa = w.fa();
    fa->setFocus();
    fa->SelectRange(row, col);
    QTest::keyClick(fa, text.at(0).toLatin1());
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != fa);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
}

} // namespace

class TestVcardCommands : public QObject
{
    Q_OBJECT
  private slots:
    void menuEntriesInPlace();
    void openVcardAndSaveBack();
    void saveAsVcardIsAnExport();
    void importContacts();
    void semicolonFileSavedWithSemicolons();
    void fileOnCommandLine_data();
    void fileOnCommandLine();
    void missingFileOnCommandLine();
};

void TestVcardCommands::menuEntriesInPlace()
{
    ShellHarness h;
    MainWindow& w = h.start();
    auto texts = [&](const char* menu) {
        QStringList out;
        for (QAction* a : w.findChild<QMenu*>(menu)->actions())
            out << a->text();
        return out;
    };
    QCOMPARE(texts("mnuOpenA"), QStringList({"&Corvanta (*.cvt)", "&Comma Delimited (*.csv)",
                                             "Ta&b Delimited (*.txt)", "&vCard (*.vcf)"}));
    QCOMPARE(texts("mnuSaveAs"), QStringList({"Corvanta (*.cvt)", "Comma Delimited (*.csv)",
                                              "Tab Delimited (*.txt)", "vCard (*.vcf)"}));
    QVERIFY(w.commands().action("mnuOpenVcard")->isEnabled());
    QVERIFY(w.commands().action("mnuSaveAsVcard")->isEnabled());
}

void TestVcardCommands::openVcardAndSaveBack()
{
    ShellHarness h;
    const QString file = h.path("friends.vcf");
    writeFile(file, kCards);
    MainWindow& w = h.start();
    ColumnRoles before;
    before.mail = 30; // set for an earlier document
    w.document().setRoles(before);
    h.platform.fileAnswers << file;
    trigger(w, "mnuOpenVcard");
    const CommonDialog& shown = h.platform.dialogs.first().before;
    QCOMPARE(shown.Filter, QString("vCard Files (*.vcf)|*.vcf|All Files (*.*)|*.*"));
    QCOMPARE(shown.DefaultExt, QString("*.vcf"));
    GridWidget* fa = w.fa();
    QCOMPARE(fa->RowCount(), 3);
    QCOMPARE(fa->CellText(0, 6), QString("Phone 2"));
    QCOMPARE(fa->CellText(0, 9), QString("Organization"));
    QCOMPARE(fa->CellText(1, 5), QString("555-0100"));
    QCOMPARE(fa->CellText(2, 0), QString("Bob Stone"));
    QCOMPARE(fa->CellText(2, 7), QString("bob@x.example"));
    // The roles follow the file's own layout, whatever they were before.
    QCOMPARE(w.document().roles(), (ColumnRoles{7, 5, 8, 1}));
    QCOMPARE(int(w.document().FileKind()), int(Document::KindVcard));
    QCOMPARE(w.document().CurrentFile(), file);
    QCOMPARE(w.windowTitle(), "Corvanta Address Book [" + file + "]");
    QVERIFY(!w.document().IsModified());
    // The form panel lists the added columns too.
    QCOMPARE(w.fb()->CellText(7, 0), QString("Phone 2"));

    typeAndSave(w, 2, 1, "9 Elm Rd");
    QTRY_COMPARE(h.platform.messages.size(), 1);
    QCOMPARE(h.platform.lastText(), kHint);
    QVERIFY(!w.document().IsModified());
    const QByteArray saved = readFile(file);
    QVERIFY(saved.contains("VERSION:3.0\r\n"));
    QVERIFY2(saved.contains("ADR:;;9 Elm Rd;;;;\r\n"), saved.constData());
    QVERIFY(saved.contains("TEL:555-0100\r\nTEL:555-0199\r\n"));
    // Bob's card keeps its N and its PREF as they were.
    QVERIFY(saved.contains("N:Stone;Bob\r\nEMAIL;TYPE=PREF:bob@x.example\r\n"));
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));

    // A text export leaves out what the cards keep beyond their columns.
    QCOMPARE(fa->CellText(0, 10), QString("vCard"));
    const QString csv = h.path("friends.csv");
    h.platform.fileAnswers << csv;
    trigger(w, "mnuSaveAsComma");
    QCOMPARE(
        readFile(csv),
        QByteArray("Name,Street,City,State,Zip Code,Phone,Phone 2,Email,Web Site,Organization\r\n"
                   "Ann Lee,,,,,555-0100,555-0199,,,Acme\r\n"
                   "Bob Stone,9 Elm Rd,,,,,,bob@x.example,,\r\n"));
}

void TestVcardCommands::saveAsVcardIsAnExport()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.fa()->SetCellText(1, 0, "Ann Lee");
    w.fa()->SetCellText(1, 6, "ann@x.example");
    QVERIFY(w.document().IsModified());
    const QString out = h.path("export.vcf");
    h.platform.fileAnswers << out;
    trigger(w, "mnuSaveAsVcard");
    QCOMPARE(h.platform.dialogs.first().before.Filter, QString("vCard Files (*.vcf)|*.vcf"));
    QCOMPARE(readFile(out).count("BEGIN:VCARD"), 1);
    QVERIFY(readFile(out).contains("EMAIL;TYPE=INTERNET:ann@x.example\r\n"));
    QCOMPARE(w.windowTitle(), "Corvanta Address Book -- " + out);
    QVERIFY(w.document().IsModified());
    QCOMPARE(int(w.document().FileKind()), int(Document::KindNative));
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));

    // Cancelled: nothing written, nothing changed.
    h.platform.fileAnswers << QString();
    trigger(w, "mnuSaveAsVcard");
    QVERIFY(!QFile::exists(h.path("other.vcf")));
    QVERIFY(w.document().IsModified());
}

// Outlook's export re-saved by a German spreadsheet (semicolons,
// windows-1252) becomes an untitled address book laid out by its titles.
void TestVcardCommands::importContacts()
{
    ShellHarness h;
    const QString file = h.path("kontakte.csv");
    const QByteArray csv = "First Name;Last Name;Title;E-mail Address;Mobile Phone;Business Street;"
                           "Business City;Business Postal Code;Business Country/Region;Company;"
                           "Categories\r\n"
                           "J\xfcrgen;M\xfcller;Herr;j@example.de;+49 170 5550123;"
                           "Hauptstr. 5;Berlin;10115;Deutschland;ACME;Kunde\r\n"
                           "Zo\xeb;Lind;;zoe@example.se;;;;;;;\r\n";
    writeFile(file, csv);
    MainWindow& w = h.start();
    w.fa()->SetCellText(1, 0, "Unsaved"); // given up when asked
    h.platform.answers << MsgAnswer::No;
    h.platform.fileAnswers << file;
    trigger(w, "mnuImportContacts");
    QCOMPARE(h.platform.dialogs.first().before.Filter,
             QString("Contact Files (*.csv)|*.csv|All Files (*.*)|*.*"));
    QCOMPARE(h.platform.messages.size(), 2);
    QCOMPARE(h.platform.messages[0].title, QString("Import Contacts"));
    QCOMPARE(h.platform.messages[0].text,
             QString("Changes have been made. Do you want to save the changes?"));
    QCOMPARE(h.platform.messages[1].title, QString("Import Contacts"));
    QCOMPARE(h.platform.lastText(),
             "Imported 2 contacts from " + file +
                 ".\nRecognised: Outlook CSV.\n\nColumns used: First Name, Last Name, Title -> "
                 "Name; E-mail Address -> Email; Mobile Phone -> Phone (Mobile); Business Street "
                 "-> Street (Work); Business City -> City (Work); Business Postal Code -> Zip Code "
                 "(Work); Business Country/Region -> Country (Work); Company -> "
                 "Organization.\nKept under their own titles: 1 more column."
                 "\n\nThe file itself is not changed; the address book stays untitled until you "
                 "save it.");
    GridWidget* fa = w.fa();
    QStringList titles;
    for (int c = 0; c < fa->ColCount(); ++c)
        titles << fa->CellText(0, c);
    QCOMPARE(titles, QStringList({"Name", "Street (Work)", "City (Work)", "State (Work)",
                                  "Zip Code (Work)", "Country (Work)", "Phone (Mobile)", "Email",
                                  "Web Site", "Organization", "Categories", "vCard"}));
    QCOMPARE(fa->CellText(1, 0), QString("Herr J\u00fcrgen M\u00fcller"));
    QCOMPARE(fa->CellText(1, 1), QString("Hauptstr. 5"));
    QCOMPARE(fa->CellText(2, 7), QString("zoe@example.se"));
    QVERIFY(fa->isColumnHidden(11));
    QCOMPARE(w.document().roles(), (ColumnRoles{7, 6, 8, 1}));
    // Untitled and unsaved: no Save can reach the export.
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(int(w.document().FileKind()), int(Document::KindNative));
    QVERIFY(w.document().IsModified());
    QCOMPARE(w.fb()->CellText(11, 0), QString("Categories"));

    // One step of the history: undone, the empty untitled table is back.
    QCOMPARE(w.commands().action("mnuUndo")->text(), QString("&Undo Import Contacts"));
    trigger(w, "mnuUndo");
    QCOMPARE(fa->ColCount(), 10);
    QCOMPARE(fa->CellText(0, 5), QString("Phone"));
    QCOMPARE(w.document().roles(), ColumnRoles());
    QVERIFY(!w.document().IsModified());

    // Text whose titles name no contact fields is left to Open.
    const QString other = h.path("ledger.csv");
    writeFile(other, "Date,Amount,Payee\r\n2026-01-05,12.50,Bakery\r\n");
    h.platform.fileAnswers << other;
    trigger(w, "mnuImportContacts");
    QCOMPARE(h.platform.lastText(), "The column titles of " + other +
                                        " name no contact fields. Open it with File > Open > "
                                        "Comma Delimited instead.");
    QCOMPARE(fa->ColCount(), 10);
    QCOMPARE(readFile(file), csv);
}

void TestVcardCommands::semicolonFileSavedWithSemicolons()
{
    ShellHarness h;
    const QString file = h.path("kunden.csv");
    writeFile(file, "sep=;\r\nName;Ort\r\nM\xc3\xbcller, Hans;K\xc3\xb6ln\r\n");
    MainWindow& w = h.start();
    h.platform.fileAnswers << file;
    trigger(w, "mnuOpenCSV_0");
    QCOMPARE(w.fa()->ColCount(), 2);
    QCOMPARE(w.fa()->CellText(0, 1), QString("Ort"));
    QCOMPARE(w.fa()->CellText(1, 0), QString("Müller, Hans"));
    typeAndSave(w, 1, 1, "Bonn");
    QTRY_COMPARE(h.platform.lastText(), kHint);
    QCOMPARE(readFile(file), QByteArray("Name;Ort\r\nM\xc3\xbcller, Hans;Bonn\r\n"));
}

void TestVcardCommands::fileOnCommandLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("cell"); // record 1, column 0
    QTest::newRow("vCard") << "a.vcf" << kCards << 5 << "Ann Lee";
    QTest::newRow("comma") << "a.csv" << QByteArray("Name;City\nZoe;Rome\n") << 3 << "Zoe";
    QTest::newRow("tab") << "a.txt" << QByteArray("Name\tCity\nTom\tOslo\n") << 4 << "Tom";
}

void TestVcardCommands::fileOnCommandLine()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, kind);
    QFETCH(QString, cell);
    ShellHarness h;
    const QString file = h.path(name);
    writeFile(file, content);
    // The last file would open otherwise.
    h.settings->write("LastOpenFilePath", h.inProgram("Sample_AB.cvt"));
    MainWindow& w = h.start(file);
    QCOMPARE(w.fa()->CellText(1, 0), cell);
    QCOMPARE(int(w.document().FileKind()), kind);
    QCOMPARE(w.document().CurrentFile(), file);
    QCOMPARE(w.windowTitle(), "Corvanta Address Book -- " + file);
    QVERIFY(!w.document().IsModified());
    QVERIFY(h.platform.messages.isEmpty());
    // Text and cards are no start-up file; the next start opens the last one.
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));
}

void TestVcardCommands::missingFileOnCommandLine()
{
    ShellHarness h;
    const QString file = h.path("gone.cvt");
    MainWindow& w = h.start(file);
    QCOMPARE(h.platform.messages.size(), 1);
    QVERIFY(h.platform.lastText().startsWith("Cannot open " + file));
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(w.windowTitle(), QString("Corvanta Address Book -- Untitled.cvt"));
}

QTEST_MAIN(TestVcardCommands)
#include "tst_vcardcommands.moc"
