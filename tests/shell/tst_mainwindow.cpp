// Start-up, settings and the save-changes prompts of the main window, driven
// offscreen with the scripted platform answering every prompt.
#include "commands/commandset.h"
#include "files/document.h"
#include "files/nativefile.h"
#include "grid/gridwidget.h"
#include "grid/table.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/tablecommands.h"
#include "widgettesting.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace corvanta;

namespace {

const QString kQuestion =
    QStringLiteral("Changes have been made. Do you want to save the changes?");
const QString kCloseQuestion =
    QStringLiteral("Changes have been made. Do you want to save the changes before exit Corvanta?");

QString panel(MainWindow& w, int i)
{
    return w.statusPanel(i);
}

void writeSample(const QString& path, const QString& firstName)
{
    Table t(4, 10);
    t.setText(0, 0, u"Name");
    t.setText(0, 1, u"Street");
    t.setText(1, 0, firstName);
    t.setText(2, 0, u"Bob");
    QVERIFY(NativeFile::save(t, path));
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
  private slots:
    void firstStartWithoutSettings();
    void firstStartOpensSample();
    void storedValues_data();
    void storedValues();
    void startupFileKinds_data();
    void startupFileKinds();
    void makeModifiedFollowsSaveControls();
    void userEditMarksModified();
    void savePrompts_data();
    void savePrompts();
    void exitWithoutChangesWritesSettings();
    void settingsSurviveRestart();
    void rowAndBlockMode();
    void formPanelClosesAndReopens();
    void dropMarksModified();
    void openEditTakenBeforeCommand_data();
    void openEditTakenBeforeCommand();
    void saveNotDoneStopsCommand_data();
    void saveNotDoneStopsCommand();
    void hiddenPanelKeepsDraggedSplitter();
    void unreachablePositionMovesOnScreen_data();
    void unreachablePositionMovesOnScreen();
    void oversizedWindowFitsScreen();
    void deadSubmenusDisabled();
    void startsTypingIntoTable();
    void toolbarClickHidesPalette_data();
    void toolbarClickHidesPalette();
    void editMenuFollowsFocus();
    void rightClickPopsUpEditMenu_data();
    void rightClickPopsUpEditMenu();
    void faClickShowsCell();
    void viewTogglesTwice_data();
    void viewTogglesTwice();
    void splitterStopsAtLimits_data();
    void splitterStopsAtLimits();
    void hiddenPanelLeavesTableWholeWidth();
    void moveControlFollowsRightEdge();
};

void TestMainWindow::firstStartWithoutSettings()
{
    ShellHarness h;
    MainWindow& w = h.start();
    QCOMPARE(w.objectName(), QString("frmMain"));
    QCOMPARE(w.windowTitle(), QString("Corvanta Address Book -- Untitled.cvt"));
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
    QCOMPARE(int(w.document().FileKind()), 2);
    QCOMPARE(w.document().IsModified(), false);
    GridWidget* fa = w.fa();
    QCOMPARE(fa->RowCount(), 11);
    QCOMPARE(fa->ColCount(), 10);
    const QStringList titles = {"Name",  "Street", "City",     "State", "Zip Code",
                                "Phone", "Email",  "Web Site", "",      ""};
    const QList<int> widths = {1200, 1800, 900, 600, 900, 900, 1300, 1300};
    for (int c = 0; c < 10; ++c) {
        QCOMPARE(fa->CellText(0, c), titles[c]);
        if (c < 8)
            QCOMPARE(fa->ColumnWidth(c), widths[c]);
        QCOMPARE(fa->ColumnAlign(c), 9);
    }
    QCOMPARE(fa->CellText(1, 0), QString());
    QCOMPARE(w.document().roles().mail, 6);
    QCOMPARE(w.document().roles().phone, 5);
    QCOMPARE(w.document().roles().website, 7);
    QCOMPARE(w.document().roles().map, 1);
    QCOMPARE(w.document().OpenFolder(), h.programFolder);
    QCOMPARE(w.document().StartupFile(), h.inProgram("Sample_AB.cvt"));

    // Window 8888 x 6600 twips, splitter 3570, light green rows, drop box shown.
    QCOMPARE(GridWidget::pixelsToTwips(w.width()),
             GridWidget::pixelsToTwips(GridWidget::twipsToPixels(8888)));
    QCOMPARE(w.height(), GridWidget::twipsToPixels(6600));
    QCOMPARE(fa->AltRowBackColor(), quint32(0xC0FFC0));
    QVERIFY(act(w, "mnuAlternateColor")->isChecked());
    QVERIFY(!w.findChild<QWidget*>("txtDrop")->isHidden());
    QVERIFY(!w.findChild<QWidget*>("lbDropBox")->isHidden());
    QCOMPARE(w.findChild<QLineEdit*>("txtDrop")->text(),
             QString("Drag or copy valid Form Post text to here"));
    QCOMPARE(w.findChild<QLineEdit*>("txtDrop")->cursorPosition(), 0); // shows its start
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.vbarLeft(), GridWidget::pixelsToTwips(GridWidget::twipsToPixels(3570)));

    // Save is off, the count boxes show the counts, the count control hides.
    QVERIFY(!act(w, "mnuSave")->isEnabled());
    QVERIFY(!w.commands().toolbarButton("Save")->isEnabled());
    QCOMPARE(w.findChild<QLineEdit*>("txtRow")->text(), QString("10"));
    QCOMPARE(w.findChild<QLineEdit*>("txtCol")->text(), QString("10"));
    QVERIFY(!w.findChild<QLineEdit*>("txtRow")->isVisible());
    // Still hidden when the toolbar has room for it.
    w.resize(1600, w.height());
    QTRY_VERIFY(w.commands().toolbar()->width() > 1500);
    QVERIFY(!w.findChild<QLineEdit*>("txtRow")->isVisible());
    QVERIFY(!w.findChild<QLineEdit*>("txtCol")->isVisible());
    QCOMPARE(panel(w, 1), QString("Corvanta Address Book 1.0"));
    QCOMPARE(panel(w, 2), QString("US"));
    QCOMPARE(panel(w, 3), QString("ROW"));
    QVERIFY(act(w, "mnuMouseMode_0")->isChecked());
    QCOMPARE(fa->SelectMode(), 3);
    QCOMPARE(fa->DragEnabled(), 0);
    QVERIFY(!w.commands().toolbarButtonAt(23)->isVisible());
    QVERIFY(!w.commands().toolbarButtonAt(25)->isVisible());
    QVERIFY(!w.commands().toolbarButtonAt(26)->isVisible());
    QVERIFY(w.commands().toolbarButtonAt(24)->isVisible());
    auto* tabs = w.findChild<QTabWidget*>("TabStrip1");
    QCOMPARE(tabs->tabText(0), QString("Form"));
    QCOMPARE(tabs->count(), 1);

    // The form panel lists the columns and the current record's values.
    GridWidget* fb = w.fb();
    QCOMPARE(fb->RowCount(), 11);
    QCOMPARE(fb->CellText(0, 0), QString("Column"));
    QCOMPARE(fb->CellText(0, 1), QString("Value"));
    QCOMPARE(fb->CellText(1, 0), QString("Name"));
    QCOMPARE(fb->CellText(8, 0), QString("Web Site"));
    QCOMPARE(h.platform.messages.size(), 0);
}

void TestMainWindow::firstStartOpensSample()
{
    ShellHarness h;
    writeSample(h.inProgram("Sample_AB.cvt"), "Ann Sample");
    MainWindow& w = h.start();
    QCOMPARE(w.windowTitle(), "Corvanta Address Book -- " + h.inProgram("Sample_AB.cvt"));
    QCOMPARE(w.document().CurrentFile(), h.inProgram("Sample_AB.cvt"));
    QCOMPARE(w.fa()->CellText(1, 0), QString("Ann Sample"));
    QCOMPARE(w.fa()->RowCount(), 4);
    QCOMPARE(w.findChild<QLineEdit*>("txtRow")->text(), QString("3"));
    QCOMPARE(w.document().IsModified(), false);
    QVERIFY(!act(w, "mnuSave")->isEnabled());
    QVERIFY(!w.commands().toolbarButton("Save")->isEnabled());
    QCOMPARE(w.fb()->CellText(1, 0), QString("Name"));
}

void TestMainWindow::storedValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("expected");
    QTest::newRow("col_mail empty takes default") << "col_mail"
                                                  << ""
                                                  << "col_mail" << 6;
    QTest::newRow("col_mail not a number gives 0") << "col_mail"
                                                   << "abc"
                                                   << "col_mail" << 0;
    QTest::newRow("col_phone out of range") << "col_phone"
                                            << "70000"
                                            << "col_phone" << 0;
    QTest::newRow("col_map halves go even") << "col_map"
                                            << "2.5"
                                            << "col_map" << 2;
    QTest::newRow("col_website stored") << "col_website"
                                        << "9"
                                        << "col_website" << 9;
    QTest::newRow("TOP out of range gives 0") << "TOP"
                                              << "40000"
                                              << "top" << 0;
    QTest::newRow("LEFT stored") << "LEFT"
                                 << "1440"
                                 << "left" << 1440;
    QTest::newRow("WIDTH stored") << "WIDTH"
                                  << "10080"
                                  << "width" << 10080;
    QTest::newRow("VBarLeft stored") << "VBarLeft"
                                     << "4320"
                                     << "vbar" << 4320;
    QTest::newRow("EmailParser 0 hides drop box") << "EmailParser"
                                                  << "0"
                                                  << "dropbox" << 0;
    QTest::newRow("EmailParser word gives 0") << "EmailParser"
                                              << "yes"
                                              << "dropbox" << 0;
    QTest::newRow("AlternateColor False") << "AlternateColor"
                                          << "False"
                                          << "alt" << 0;
    QTest::newRow("AlternateColor no Boolean") << "AlternateColor"
                                               << "green"
                                               << "alt" << 1;
    QTest::newRow("LastOpenPath") << "LastOpenPath"
                                  << "/srv/contacts/"
                                  << "openfolder" << 1;
}

void TestMainWindow::storedValues()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QString, what);
    QFETCH(int, expected);
    ShellHarness h;
    // With no start-up file the untitled table would reset the roles.
    writeSample(h.inProgram("Sample_AB.cvt"), "Ann");
    h.settings->write(key, stored);
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto twipsOf = [](int px) { return GridWidget::pixelsToTwips(px); };
    const auto roundTrip = [](int twips) {
        return GridWidget::pixelsToTwips(GridWidget::twipsToPixels(twips));
    };
    if (what == "col_mail")
        QCOMPARE(w.document().roles().mail, expected);
    else if (what == "col_phone")
        QCOMPARE(w.document().roles().phone, expected);
    else if (what == "col_map")
        QCOMPARE(w.document().roles().map, expected);
    else if (what == "col_website")
        QCOMPARE(w.document().roles().website, expected);
    else if (what == "top")
        QCOMPARE(twipsOf(w.frameGeometry().y()), roundTrip(expected));
    else if (what == "left")
        QCOMPARE(twipsOf(w.frameGeometry().x()), roundTrip(expected));
    else if (what == "width")
        QCOMPARE(twipsOf(w.width()), roundTrip(expected));
    else if (what == "vbar")
        QCOMPARE(w.vbarLeft(), roundTrip(expected));
    else if (what == "dropbox") {
        QCOMPARE(w.dropBoxOn(), expected);
        QCOMPARE(w.findChild<QWidget*>("txtDrop")->isVisible(), expected != 0);
        QCOMPARE(w.findChild<QWidget*>("cmdEraser")->isVisible(), expected != 0);
    } else if (what == "alt") {
        QCOMPARE(w.alternateRowsOn(), expected != 0);
        QCOMPARE(w.commands().action("mnuAlternateColor")->isChecked(), expected != 0);
        if (expected)
            QCOMPARE(w.fa()->AltRowBackColor(), quint32(0xC0FFC0));
        else
            QVERIFY(w.fa()->AltRowBackColor() != quint32(0xC0FFC0));
    } else if (what == "openfolder") {
        QCOMPARE(w.document().OpenFolder(), stored);
    } else {
        QFAIL("unknown check");
    }
}

void TestMainWindow::startupFileKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opened");
    QTest::newRow("lower case") << "book.cvt" << true;
    QTest::newRow("mixed case") << "book.Cvt" << true;
    QTest::newRow("upper case") << "BOOK.CVT" << true;
    QTest::newRow("comma file") << "book.csv" << false;
    QTest::newRow("missing file") << "gone.cvt" << false;
}

void TestMainWindow::startupFileKinds()
{
    QFETCH(QString, name);
    QFETCH(bool, opened);
    ShellHarness h;
    const QString path = h.path(name);
    if (!name.startsWith("gone"))
        writeSample(path, "Stored");
    h.settings->write("LastOpenFilePath", path);
    MainWindow& w = h.start();
    if (opened) {
        QCOMPARE(w.windowTitle(), "Corvanta Address Book -- " + path);
        QCOMPARE(w.document().CurrentFile(), path);
        QCOMPARE(w.fa()->CellText(1, 0), QString("Stored"));
    } else {
        QCOMPARE(w.windowTitle(), QString("Corvanta Address Book -- Untitled.cvt"));
        QCOMPARE(w.document().CurrentFile(), h.inProgram("Untitled.cvt"));
        QCOMPARE(w.fa()->RowCount(), 11);
    }
    QCOMPARE(w.document().StartupFile(), path);
    QCOMPARE(w.document().IsModified(), false);
    QCOMPARE(h.platform.messages.size(), 0);
}

void TestMainWindow::makeModifiedFollowsSaveControls()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.document().MakeModified(true);
    QVERIFY(w.document().IsModified());
    QVERIFY(act(w, "mnuSave")->isEnabled());
    QVERIFY(w.commands().toolbarButton("Save")->isEnabled());
    w.document().MakeModified(false);
    QVERIFY(!w.document().IsModified());
    QVERIFY(!act(w, "mnuSave")->isEnabled());
    QVERIFY(!w.commands().toolbarButton("Save")->isEnabled());
}

void TestMainWindow::userEditMarksModified()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.tableCommands().mnuMouseMode_Click(1);
    GridWidget* fa = w.fa();
    w.activateWindow();
    fa->setFocus();
    fa->SelectRange(2, 1);
    // The first key opens the in-place editor; the rest go to it.
    QTest::keyClick(fa, '1');
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != fa);
    QTest::keyClicks(editor, "2 Elm St");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(fa->CellText(2, 1), QString("12 Elm St"));
    QVERIFY(w.document().IsModified());
    QVERIFY(act(w, "mnuSave")->isEnabled());
    // The form panel follows the record being edited.
    QCOMPARE(w.fb()->CellText(2, 1), QString("12 Elm St"));
}

void TestMainWindow::savePrompts_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    const QStringList commands = {"New", "Open", "Exit", "Close"};
    const QList<QPair<const char*, MsgAnswer>> answers = {
        {"Yes", MsgAnswer::Yes}, {"No", MsgAnswer::No}, {"Cancel", MsgAnswer::Cancel}};
    for (const QString& c : commands)
        for (const auto& a : answers)
            QTest::addRow("%s %s", qPrintable(c), a.first) << c << int(a.second);
}

void TestMainWindow::savePrompts()
{
    QFETCH(QString, command);
    QFETCH(int, answer);
    const MsgAnswer ans = MsgAnswer(answer);
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.fa()->SetCellText(1, 0, "Changed");
    w.document().MakeModified(true);
    h.platform.answers << ans;
    if (command == "Open")
        h.platform.fileAnswers << std::nullopt; // the open dialog is then cancelled

    if (command == "New")
        act(w, "mnuNew")->trigger();
    else if (command == "Open")
        act(w, "mnuOpen_0")->trigger();
    else if (command == "Exit")
        act(w, "mnuExit")->trigger();
    else
        w.close();

    QCOMPARE(h.platform.messages.size(), 1);
    const FakePlatform::Shown& m = h.platform.messages.first();
    QCOMPARE(m.text, command == "Close" ? kCloseQuestion : kQuestion);
    QCOMPARE(m.title, command == "Close" ? QString("Exit") : command);
    QCOMPARE(m.icon, MsgIcon::Question);
    QCOMPARE(m.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(m.defaultButton, 3);

    const QString untitled = h.inProgram("Untitled.cvt");
    // Yes saves first (the untitled document is written without a question).
    QCOMPARE(QFile::exists(untitled), ans == MsgAnswer::Yes);
    const bool goesOn = ans != MsgAnswer::Cancel;
    if (command == "New") {
        QCOMPARE(w.fa()->CellText(1, 0), goesOn ? QString() : QString("Changed"));
        QCOMPARE(w.document().IsModified(), !goesOn);
    } else if (command == "Open") {
        QCOMPARE(h.platform.dialogs.size(), goesOn ? 1 : 0);
        QCOMPARE(w.fa()->CellText(1, 0), QString("Changed"));
    } else {
        QCOMPARE(h.platform.endCalls, goesOn ? 1 : 0);
        QCOMPARE(w.isEnded(), goesOn);
        if (command == "Close")
            QCOMPARE(w.isVisible(), !goesOn);
        QCOMPARE(h.settings->read("col_mail").isEmpty(), !goesOn);
    }
}

void TestMainWindow::exitWithoutChangesWritesSettings()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ColumnRoles roles = w.document().roles();
    roles.mail = 3;
    w.document().setRoles(roles);
    w.document().setOpenFolder("/srv/book/");
    act(w, "mnuExit")->trigger();
    QCOMPARE(h.platform.messages.size(), 0);
    QCOMPARE(h.platform.endCalls, 1);
    SettingsStore& s = *h.settings;
    QCOMPARE(s.read("col_mail"), QString("3"));
    QCOMPARE(s.read("col_phone"), QString("5"));
    QCOMPARE(s.read("col_website"), QString("7"));
    QCOMPARE(s.read("col_map"), QString("1"));
    QCOMPARE(s.read("LastOpenPath"), QString("/srv/book/"));
    QCOMPARE(s.read("LastOpenFilePath"), h.inProgram("Sample_AB.cvt"));
    QCOMPARE(s.read("AlternateColor"), QString("True"));
    QCOMPARE(s.read("ShowTips"), QString("True"));
    QCOMPARE(s.read("EmailParser"), QString("1"));
    for (const char* key : {"TOP", "LEFT", "WIDTH", "HEIGHT", "VBarLeft"}) {
        bool ok = false;
        s.read(key).toDouble(&ok);
        QVERIFY2(ok, key);
    }
    QCOMPARE(s.read("WIDTH").toInt(), GridWidget::pixelsToTwips(w.width()));
}

void TestMainWindow::settingsSurviveRestart()
{
    ShellHarness h;
    {
        MainWindow& w = h.start();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(GridWidget::twipsToPixels(9360), GridWidget::twipsToPixels(7200));
        w.setVbarLeft(4320);
        QTRY_COMPARE(w.vbarLeft(), GridWidget::pixelsToTwips(GridWidget::twipsToPixels(4320)));
        act(w, "mnuAlternateColor")->trigger();
        act(w, "mnuExit")->trigger();
        QCOMPARE(h.platform.endCalls, 1);
        h.window.reset();
    }
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.width(),
             GridWidget::twipsToPixels(GridWidget::pixelsToTwips(GridWidget::twipsToPixels(9360))));
    QCOMPARE(w.alternateRowsOn(), false);
    QVERIFY(!w.commands().action("mnuAlternateColor")->isChecked());
    QCOMPARE(w.vbarLeft(), GridWidget::pixelsToTwips(GridWidget::twipsToPixels(4320)));
}

void TestMainWindow::rowAndBlockMode()
{
    ShellHarness h;
    MainWindow& w = h.start();
    GridWidget* fa = w.fa();
    w.commands().toolbarButton("BlockMode")->trigger();
    QCOMPARE(panel(w, 3), QString("EDIT"));
    QVERIFY(act(w, "mnuMouseMode_1")->isChecked());
    QVERIFY(!act(w, "mnuMouseMode_0")->isChecked());
    QCOMPARE(fa->SelectMode(), 0);
    fa->SelectRange(3, 1, 4, 2);
    w.commands().toolbarButton("RowMode")->trigger();
    QCOMPARE(panel(w, 3), QString("ROW"));
    QVERIFY(act(w, "mnuMouseMode_0")->isChecked());
    QVERIFY(w.commands().toolbarButton("RowMode")->isChecked());
    // Entering row mode selects exactly the current row.
    QCOMPARE(fa->CurRow(), 3);
    QCOMPARE(fa->SelEndRow(), 3);
    QCOMPARE(fa->PickedRowCount(), 1);
    QCOMPARE(fa->PickedRow(0), 3);
    // The position panel reads current row / records.
    w.tableCommands().fa_Click();
    QCOMPARE(panel(w, 6), QString("3 / 10"));
    // F7 and F6 switch, though the submenu that holds them stays hidden.
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(fa, Qt::Key_F7);
    QCOMPARE(panel(w, 3), QString("EDIT"));
    QVERIFY(w.commands().toolbarButton("BlockMode")->isChecked());
    QTest::keyClick(fa, Qt::Key_F6);
    QCOMPARE(panel(w, 3), QString("ROW"));
    QCOMPARE(fa->SelectMode(), 3);
}

void TestMainWindow::formPanelClosesAndReopens()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* side = w.findChild<QWidget*>("panelSide");
    QAction* item = act(w, "mnuViewFb");
    QTest::mouseClick(w.findChild<QToolButton*>("imgClose"), Qt::LeftButton);
    QTRY_VERIFY(!side->isVisible());
    QVERIFY(!item->isChecked());
    // Hidden, the panel does not follow the table; shown again, it catches up.
    w.fa()->SetCellText(1, 0, "Ann");
    w.fa()->SelectRange(1, 0);
    QCOMPARE(w.fb()->CellText(1, 1), QString());
    item->trigger();
    QTRY_VERIFY(side->isVisible());
    QVERIFY(item->isChecked());
    QCOMPARE(w.fb()->CellText(1, 1), QString("Ann"));
}

// Text dropped from another program onto the table is a change like any
// other; the drop is sent as the events a real drag delivers.
void TestMainWindow::dropMarksModified()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.document().IsModified()); // laying out the window is no change
    GridWidget* fa = w.fa();
    fa->SetDragEnabled(1);
    QMimeData mime;
    mime.setText("Ann\tRome");
    const QPoint at = fa->visualRect(fa->gridModel()->cellIndex(2, 0)).center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(fa->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(fa->viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(fa->viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(fa->CellText(2, 1), QString("Rome"));
    QVERIFY(w.document().IsModified());
    QVERIFY(act(w, "mnuSave")->isEnabled());
    QVERIFY(w.commands().toolbarButton("Save")->isEnabled());
}

void TestMainWindow::openEditTakenBeforeCommand_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("command");
    QTest::newRow("table, Ctrl+S") << "fa"
                                   << "Ctrl+S";
    QTest::newRow("form panel, Ctrl+S") << "fb"
                                        << "Ctrl+S";
    QTest::newRow("table, Ctrl+N") << "fa"
                                   << "Ctrl+N";
    QTest::newRow("table, toolbar Save") << "fa"
                                         << "Save button";
    QTest::newRow("table, closing the window") << "fa"
                                               << "close";
}

// Text typed into a cell without Enter, then a command: the command sees
// the text. Keys and clicks are real input, as a user sends them.
void TestMainWindow::openEditTakenBeforeCommand()
{
    QFETCH(QString, grid);
    QFETCH(QString, command);
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.tableCommands().mnuMouseMode_Click(1);
    if (command == "Save button")
        w.document().MakeModified(true); // the button is live only then
    GridWidget* g = grid == "fa" ? w.fa() : w.fb();
    g->setFocus();
    g->SelectRange(2, 1);
    QTest::keyClick(g, 'Z');
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != g);
    QTest::keyClicks(editor, "oe");

    const QString untitled = h.inProgram("Untitled.cvt");
    if (command == "Ctrl+S") {
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    } else if (command == "Ctrl+N") {
        h.platform.answers << MsgAnswer::Cancel;
        QTest::keyClick(editor, Qt::Key_N, Qt::ControlModifier);
    } else if (command == "Save button") {
        QToolBar* tb = w.commands().toolbar();
        QTest::mouseClick(tb->widgetForAction(w.commands().toolbarButton("Save")), Qt::LeftButton);
    } else {
        h.platform.answers << MsgAnswer::Cancel;
        w.close();
    }
    // fb row 2 is the table's column 1 of the current record.
    const QString expectedCell = "Zoe";
    if (grid == "fa")
        QCOMPARE(w.fa()->CellText(2, 1), expectedCell);
    else
        QCOMPARE(w.fa()->CellText(w.fa()->CurRow(), 1), expectedCell);
    if (command == "Ctrl+S" || command == "Save button") {
        Table saved;
        QVERIFY(NativeFile::load(untitled, saved));
        QCOMPARE(saved.text(grid == "fa" ? 2 : w.fa()->CurRow(), 1), expectedCell);
        QVERIFY(!w.document().IsModified());
    } else {
        // The question is asked: the edit made the document modified.
        QCOMPARE(h.platform.messages.size(), 1);
        QCOMPARE(h.platform.messages.first().text, command == "close" ? kCloseQuestion : kQuestion);
        QVERIFY(w.isVisible());
    }
}

void TestMainWindow::saveNotDoneStopsCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("failure");
    for (const char* c : {"New", "Open", "Exit", "Close"})
        for (const char* f : {"Save As cancelled", "overwrite escaped", "write failed"})
            QTest::addRow("%s, %s", c, f) << QString(c) << QString(f);
}

// "Yes, save the changes" and then no save: the command stops, the work
// stays open and modified.
void TestMainWindow::saveNotDoneStopsCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, failure);
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.fa()->SetCellText(1, 0, "Changed");
    h.platform.answers << MsgAnswer::Yes;
    if (failure == "write failed") {
        w.document().setCurrentFile(h.path("gone/book.cvt"));
    } else {
        QFile f(h.inProgram("Untitled.cvt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (failure == "overwrite escaped") {
            h.platform.answers << MsgAnswer::Escape;
        } else {
            h.platform.answers << MsgAnswer::No;
            h.platform.fileAnswers << std::nullopt;
        }
    }
    if (command == "New")
        act(w, "mnuNew")->trigger();
    else if (command == "Open")
        act(w, "mnuOpen_0")->trigger();
    else if (command == "Exit")
        act(w, "mnuExit")->trigger();
    else
        w.close();
    QVERIFY(h.platform.answers.isEmpty());
    QCOMPARE(h.platform.unexpected, 0);
    QCOMPARE(w.fa()->CellText(1, 0), QString("Changed"));
    QVERIFY(w.document().IsModified());
    QCOMPARE(h.platform.endCalls, 0);
    QVERIFY(w.isVisible());
    // No open dialog followed; only a Save As dialog may have shown.
    for (const FakePlatform::DialogSeen& d : h.platform.dialogs)
        QVERIFY(d.save);
}

// The splitter dragged by the user, the panel hidden with F2: Exit saves
// where the user left the splitter, not where it started.
void TestMainWindow::hiddenPanelKeepsDraggedSplitter()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.resize(900, 500);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const int before = w.vbarLeft();
    QWidget* handle = w.findChild<QWidget*>("VBar");
    QVERIFY(handle);
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(60, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(60, 0));
    const int dragged = w.vbarLeft();
    QVERIFY2(dragged > before, qPrintable(QString("%1 -> %2").arg(before).arg(dragged)));
    QTest::keyClick(w.fa(), Qt::Key_F2);
    QTRY_VERIFY(!w.findChild<QWidget*>("panelSide")->isVisible());
    act(w, "mnuExit")->trigger();
    QCOMPARE(h.platform.endCalls, 1);
    QCOMPARE(h.settings->read("VBarLeft").toInt(), dragged);
}

void TestMainWindow::unreachablePositionMovesOnScreen_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("left");
    QTest::addColumn<bool>("moved");
    QTest::newRow("far up and left") << -30000 << -30000 << true;
    QTest::newRow("far down and right") << 30000 << 30000 << true;
    QTest::newRow("only a corner shows") << -6540 << -8400 << true;
    QTest::newRow("on screen stays") << 1440 << 720 << false;
}

// A stored size larger than the screen is cut to its available area, with
// the whole window, title bar included, inside it.
void TestMainWindow::oversizedWindowFitsScreen()
{
    ShellHarness h;
    for (const char* key : {"WIDTH", "HEIGHT"})
        h.settings->write(key, "32767");
    h.settings->write("TOP", "-200");
    h.settings->write("LEFT", "300");
    MainWindow& w = h.start();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int titleBar = w.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    QCOMPARE(w.pos(), area.topLeft());
    QCOMPARE(w.size(), QSize(area.width(), area.height() - titleBar));
}

// A window that shows less than 100 x 50 pixels on every screen comes back
// onto the primary screen, at its own size.
void TestMainWindow::unreachablePositionMovesOnScreen()
{
    QFETCH(int, top);
    QFETCH(int, left);
    QFETCH(bool, moved);
    ShellHarness h;
    h.settings->write("TOP", QString::number(top));
    h.settings->write("LEFT", QString::number(left));
    MainWindow& w = h.start();
    const QRect frame(w.pos(), w.size());
    QCOMPARE(w.width(), GridWidget::twipsToPixels(8888));
    const QRect seen = QGuiApplication::primaryScreen()->availableGeometry().intersected(frame);
    QVERIFY(seen.width() >= 100 && seen.height() >= 50);
    if (!moved)
        QCOMPARE(w.pos(), QPoint(GridWidget::twipsToPixels(left), GridWidget::twipsToPixels(top)));
}

// A submenu none of whose entries works does not open onto grey entries.
void TestMainWindow::deadSubmenusDisabled()
{
    ShellHarness h;
    MainWindow& w = h.start();
    for (const char* name :
         {"mnuInsert", "mnuDelete", "mnuMove", "mnuAlign", "mnuRowHeight", "mnuToolsCountry"}) {
        QMenu* m = w.commands().menu(name);
        QVERIFY2(m, name);
        bool anyWorks = false;
        for (QAction* a : m->actions())
            anyWorks = anyWorks || (!a->isSeparator() && a->isVisible() && a->isEnabled());
        QVERIFY2(m->menuAction()->isEnabled() == anyWorks, name);
    }
}

void TestMainWindow::startsTypingIntoTable()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), w.fa());
    // The panel's titles take no typing; its values do.
    GridWidget* fb = w.fb();
    fb->setFocus();
    fb->SelectRange(1, 0);
    QTest::keyClick(fb, 'X');
    QCOMPARE(QApplication::focusWidget(), fb);
    QCOMPARE(fb->CellText(1, 0), QString("Name"));
    fb->SelectRange(1, 1);
    QTest::keyClick(fb, 'X');
    QVERIFY(QApplication::focusWidget() != fb);
}

void TestMainWindow::toolbarClickHidesPalette_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("RowMode") << "RowMode";
    QTest::newRow("BlockMode") << "BlockMode";
    QTest::newRow("DragMode") << "DragMode";
}

void TestMainWindow::toolbarClickHidesPalette()
{
    QFETCH(QString, key);
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* palette = w.findChild<QWidget*>("PanColor");
    QVERIFY(palette && !palette->isVisible());
    palette->show();
    QToolBar* tb = w.commands().toolbar();
    QWidget* button = tb->widgetForAction(w.commands().toolbarButton(key));
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!palette->isVisible());
}

void TestMainWindow::editMenuFollowsFocus()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QMenu* edit = w.commands().menu("mnuEdit");
    const auto visible = [edit] {
        QStringList names;
        for (QAction* a : edit->actions())
            if (a->isVisible())
                names << (a->objectName().isEmpty() ? "-" : a->objectName());
        return names;
    };
    const QStringList full = visible();
    auto* palette = w.findChild<QWidget*>("PanColor");
    palette->show();
    QTest::mouseClick(w.fb()->viewport(), Qt::LeftButton, {},
                      w.fb()->visualRect(w.fb()->model()->index(1, 1)).center());
    QTRY_COMPARE(QApplication::focusWidget(), w.fb());
    QCOMPARE(visible(), (QStringList{"mnuUndo", "mnuRedo", "-", "mnuEditCopy", "mnuSpace100",
                                     "mnuAddRow", "mnuSpace103", "mnuBkColor", "mnuRowHeight"}));
    QVERIFY(!palette->isVisible());
    QTest::mouseClick(w.fa()->viewport(), Qt::LeftButton, {},
                      w.fa()->visualRect(w.fa()->model()->index(1, 1)).center());
    QTRY_COMPARE(QApplication::focusWidget(), w.fa());
    QCOMPARE(visible(), full);
}

void TestMainWindow::rightClickPopsUpEditMenu_data()
{
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("moveOffered");
    QTest::newRow("table, row mode") << "fa"
                                     << "RowMode" << true;
    QTest::newRow("table, block mode") << "fa"
                                       << "BlockMode" << false;
    QTest::newRow("panel") << "fb"
                           << "BlockMode" << false;
}

void TestMainWindow::rightClickPopsUpEditMenu()
{
    QFETCH(QString, grid);
    QFETCH(QString, mode);
    QFETCH(bool, moveOffered);
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.commands().toolbarButton(mode)->trigger();
    // Stand-ins for the row commands, so the submenus have working entries.
    QVERIFY(w.commands().wire("mnuMoveUp", this, [] {}));
    QVERIFY(w.commands().wire("mnuRowHeightInc", this, [] {}));
    GridWidget* g = grid == "fa" ? w.fa() : w.fb();
    QTest::mouseClick(g->viewport(), Qt::RightButton, {},
                      g->visualRect(g->model()->index(1, 1)).center());
    QMenu* edit = w.commands().menu("mnuEdit");
    QTRY_VERIFY(edit->isVisible());
    QCOMPARE(act(w, "mnuRowHeight")->isEnabled(), grid == "fb" || moveOffered);
    if (grid == "fa")
        QCOMPARE(act(w, "mnuMove")->isEnabled(), moveOffered);
    edit->close();
    // What the popup took away was for the popup only.
    QVERIFY(act(w, "mnuRowHeight")->isEnabled());
    if (grid == "fa")
        QVERIFY(act(w, "mnuMove")->isEnabled());
}

void TestMainWindow::faClickShowsCell()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    GridWidget* fa = w.fa();
    fa->SetCellText(4, 0, "Dee");
    fa->SetCellProp(PropFontBold, 4, 0, true);
    fa->SetCellProp(PropFontUnderline, 4, 0, true);
    clickCell(fa, 4, 0);
    QCOMPARE(w.commands().toolbarButton("Bold")->isChecked(), true);
    QCOMPARE(w.commands().toolbarButton("Italic")->isChecked(), false);
    QCOMPARE(w.commands().toolbarButton("Underline")->isChecked(), true);
    QCOMPARE(panel(w, 6), QString("4 / 10"));
    QCOMPARE(w.fb()->CellText(1, 1), QString("Dee"));
    clickCell(fa, 5, 0);
    QCOMPARE(w.commands().toolbarButton("Bold")->isChecked(), false);
    QCOMPARE(w.fb()->CellText(1, 1), QString());
    // A table without records.
    fa->SetRowCount(1);
    w.tableCommands().fa_Click();
    QCOMPARE(panel(w, 6), QString("0 / 0"));
}

void TestMainWindow::viewTogglesTwice_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("control");
    QTest::newRow("mnuRowCol") << "mnuRowCol"
                               << "txtRow";
    QTest::newRow("mnuMoveControl") << "mnuMoveControl"
                                    << "Toolbar2";
}

void TestMainWindow::viewTogglesTwice()
{
    QFETCH(QString, entry);
    QFETCH(QString, control);
    ShellHarness h;
    MainWindow& w = h.start();
    w.resize(1400, 500); // room for the whole toolbar
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QAction* item = act(w, qPrintable(entry));
    auto* widget = w.findChild<QWidget*>(control);
    QVERIFY(item->isEnabled() && !item->isChecked() && !widget->isVisible());
    item->trigger();
    QVERIFY(item->isChecked());
    QTRY_VERIFY(widget->isVisible());
    item->trigger();
    QVERIFY(!item->isChecked());
    QTRY_VERIFY(!widget->isVisible());
}

void TestMainWindow::splitterStopsAtLimits_data()
{
    QTest::addColumn<int>("dx"); // pixels
    QTest::addColumn<bool>("right");
    QTest::newRow("below the minimum") << -400 << false;
    QTest::newRow("past the right edge") << 2000 << true;
}

void TestMainWindow::splitterStopsAtLimits()
{
    QFETCH(int, dx);
    QFETCH(bool, right);
    ShellHarness h;
    MainWindow& w = h.start();
    w.resize(900, 500);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* handle = w.findChild<QWidget*>("VBar");
    const QPoint grip(handle->width() / 2, handle->height() / 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(dx, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(dx, 0));
    if (right)
        QCOMPARE(w.fa()->width(), GridWidget::twipsToPixels(600));
    else
        QCOMPARE(w.vbarLeft(), 3000);
    // The table starts right of the splitter; the panel's value column
    // ends at the panel's right edge.
    QCOMPARE(w.fa()->mapTo(handle->parentWidget(), QPoint()).x(), handle->x() + handle->width());
    GridWidget* fb = w.fb();
    QTRY_COMPARE(fb->columnViewportPosition(1) + fb->columnWidth(1), fb->viewport()->width());
}

void TestMainWindow::hiddenPanelLeavesTableWholeWidth()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    act(w, "mnuViewFb")->trigger();
    w.resize(1000, 600);
    QTRY_COMPARE(w.fa()->width(), w.centralWidget()->width());
    QCOMPARE(w.fa()->x(), 0);
}

// With the count control and Toolbar2 shown, from the default size up,
// every toolbar button stays in sight: the two share a second row at the
// window's top right, Toolbar2 at the right edge, and the row goes with them.
void TestMainWindow::moveControlFollowsRightEdge()
{
    ShellHarness h;
    MainWindow& w = h.start();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.size(), QSize(GridWidget::twipsToPixels(8888), GridWidget::twipsToPixels(6600)));
    auto* bar = w.findChild<QToolBar*>("Toolbar");
    auto* bar2 = w.findChild<QToolBar*>("Toolbar2");
    auto* counts = w.findChild<QWidget*>("countControl");
    const int tableTop = w.centralWidget()->y();
    act(w, "mnuRowCol")->trigger();
    act(w, "mnuMoveControl")->trigger();
    QVERIFY(bar2->isVisible());
    QTRY_VERIFY(counts->isVisible());
    for (const int width : {w.width(), 1000, 700}) {
        w.resize(width, 440);
        QTRY_COMPARE(bar2->geometry().right(), w.width() - 1);
        QVERIFY(bar2->width() >= GridWidget::twipsToPixels(760));
        QVERIFY(bar2->y() >= bar->geometry().bottom());
        QTRY_VERIFY(counts->mapTo(&w, QPoint(counts->width(), 0)).x() <= bar2->x());
        QVERIFY(counts->isVisible());
        // No button went into an overflow menu.
        for (QToolBar* b : {bar, bar2})
            for (QAction* a : b->actions())
                if (a->isVisible() && !a->isSeparator())
                    QVERIFY2(b->widgetForAction(a)->isVisible(), qPrintable(a->objectName()));
    }
    act(w, "mnuMoveControl")->trigger();
    act(w, "mnuRowCol")->trigger();
    QVERIFY(!bar2->isVisible());
    QTRY_COMPARE(w.centralWidget()->y(), tableTop); // the second row is gone
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
