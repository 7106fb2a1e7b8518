#include "commands/commandset.h"
#include "editing/formpanel.h"
#include "fakeplatform.h"
#include "files/document.h"
#include "files/nativefile.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "shellharness.h"
#include "table/cellformatcommands.h"
#include "table/edithistory.h"
#include "table/tablecommands.h"
#include "widgettesting.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>

using namespace corvanta;

namespace {

CellFormatCommands* formatting(MainWindow& w)
{
    return w.findChild<CellFormatCommands*>("cellFormatting");
}

// The window shown, a 4x4 table of "r<row>c<col>", in the mode asked for.
MainWindow& started(ShellHarness& h, bool rowMode)
{
    MainWindow& w = h.start();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        qFatal("window not exposed");
    GridWidget* fa = w.fa();
    fa->SetColCount(4);
    fa->SetRowCount(7);
    for (int r = 1; r < 7; ++r)
        for (int c = 0; c < 4; ++c)
            fa->SetCellText(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    act(w, rowMode ? "mnuMouseMode_0" : "mnuMouseMode_1")->trigger();
    fa->setFocus();
    return w;
}

bool boldAt(GridWidget* g, int row, int col)
{
    return g->CellProp(PropFontBold, row, col).toBool();
}

} // namespace

class TestCellFormat : public QObject
{
    Q_OBJECT
  private slots:
    void typedColumnsShowFormatted();
    void editorOpensOnStoredText();
    void stylesFollowTheState_data();
    void stylesFollowTheState();
    void paletteAndA();
    void backColorCancelAndUndo();
    void alignmentInRowMode();
    void alternateColorsAndGridLines();
    void panelFormattingStaysInPanel();
    void nativeRoundTrip();
};

void TestCellFormat::typedColumnsShowFormatted()
{
    ShellHarness h;
    MainWindow& w = started(h, true);
    GridWidget* fa = w.fa();
    TableModel* m = fa->gridModel();
    ColumnAttr money{-1, TypeMoney, "$#,###.00", AlignRight, false};
    ColumnAttr date{-1, TypeDate, "dd-Mmm-yyyy", AlignLeft, false};
    ColumnAttr check{-1, TypeCheckbox, "", AlignCenter, false};
    {
        const TableModel::Unrecorded setUp(*m);
        m->setColumnAttr(0, money);
        m->setColumnAttr(1, date);
        m->setColumnAttr(2, check);
    }
    fa->SetCellText(1, 0, "1250");
    fa->SetCellText(1, 1, "2026-12-08");
    fa->SetCellText(1, 2, "1");
    fa->SetCellText(2, 2, "-1");
    fa->SetCellText(3, 2, "maybe");
    const auto shown = [m](int row, int col, int role = Qt::DisplayRole) {
        return m->cellIndex(row, col).data(role);
    };
    QCOMPARE(shown(1, 0).toString(), QString("$1,250.00"));
    QCOMPARE(shown(1, 1).toString(), QString("08-Dec-2026"));
    QCOMPARE(shown(1, 0, Qt::EditRole).toString(), QString("1250"));
    QCOMPARE(fa->CellText(1, 0), QString("1250"));
    QCOMPARE(shown(1, 2, Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(shown(2, 2, Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QCOMPARE(shown(3, 2, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QCOMPARE(shown(3, 2).toString(), QString()); // the box alone, not "maybe"
    QCOMPARE(Qt::Alignment(shown(1, 0, Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    // The panel shows the current record through the same formats.
    fa->SelectRange(1, 0);
    QCOMPARE(w.fb()->gridModel()->cellIndex(1, 1).data().toString(), QString("$1,250.00"));
    QCOMPARE(w.fb()->CellText(1, 1), QString("1250"));
    // Hidden takes effect at once.
    money.hidden = true;
    {
        const TableModel::Unrecorded setUp(*m);
        m->setColumnAttr(0, money);
    }
    QVERIFY(fa->isColumnHidden(0));
}

void TestCellFormat::editorOpensOnStoredText()
{
    ShellHarness h;
    MainWindow& w = started(h, false);
    GridWidget* fa = w.fa();
    {
        const TableModel::Unrecorded setUp(*fa->gridModel());
        fa->gridModel()->setColumnAttr(0, {-1, TypeNumber, "0.00", AlignRight, false});
    }
    fa->SetCellText(2, 0, "0.125");
    for (GridWidget* g : {fa, w.fb()}) {
        fa->SelectRange(2, 0);
        if (g == w.fb())
            g->SelectRange(1, 1);
        g->setFocus();
        g->BeginEdit();
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("0.125"));
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(fa->CellText(2, 0), QString("0.125"));
    }
}

void TestCellFormat::stylesFollowTheState_data()
{
    QTest::addColumn<bool>("rowMode");
    QTest::addColumn<int>("style");
    QTest::newRow("bold, block") << false << 0;
    QTest::newRow("italic, block") << false << 1;
    QTest::newRow("underline, rows") << true << 2;
}

void TestCellFormat::stylesFollowTheState()
{
    QFETCH(bool, rowMode);
    QFETCH(int, style);
    const int setting = style == 0 ? PropFontBold : style == 1 ? PropFontItalic : PropFontUnderline;
    const char* button = style == 0 ? "tbr_Bold" : style == 1 ? "tbr_Italic" : "tbr_Underline";
    ShellHarness h;
    MainWindow& w = started(h, rowMode);
    GridWidget* fa = w.fa();
    // Current cell plain, the other selected cell already styled.
    fa->SetCellProp(setting, 3, 1, true);
    fa->SelectRange(2, rowMode ? 0 : 1, 3, rowMode ? 3 : 1);
    w.tableCommands().fa_Click();
    QVERIFY(!act(w, button)->isChecked());
    const auto allSet = [&](bool on) {
        for (int r = 2; r <= 3; ++r)
            for (int c = rowMode ? 0 : 1; c <= (rowMode ? 3 : 1); ++c)
                if (fa->CellProp(setting, r, c).toBool() != on)
                    return false;
        return fa->CellProp(setting, 4, 1).toBool() == false;
    };
    act(w, button)->trigger();
    QVERIFY(allSet(true));
    QVERIFY(act(w, button)->isChecked());
    QVERIFY(w.document().IsModified());
    act(w, button)->trigger();
    QVERIFY(allSet(false));
    QVERIFY(!act(w, button)->isChecked());
    // Each change one step back.
    QUndoStack* undo = w.editHistory().stack();
    undo->undo();
    QVERIFY(allSet(true));
    undo->undo();
    QVERIFY(!fa->CellProp(setting, 2, 1).toBool());
    QVERIFY(fa->CellProp(setting, 3, 1).toBool());
    undo->redo();
    QVERIFY(allSet(true));
}

void TestCellFormat::paletteAndA()
{
    ShellHarness h;
    MainWindow& w = started(h, false);
    GridWidget* fa = w.fa();
    QWidget* palette = w.tableCommands().colorPalette();
    QAction* a = w.commands().toolbarButton("A");
    QCOMPARE(a->property("imageIndex").toInt(), 16);
    fa->SelectRange(2, 1, 3, 2);
    act(w, "tbr_Acolor")->trigger();
    QVERIFY(palette->isVisible());
    auto* swatch = palette->findChild<QFrame*>("SSPanelColor_4");
    QVERIFY(swatch);
    QTest::mouseClick(swatch, Qt::LeftButton);
    QVERIFY(!palette->isVisible());
    QCOMPARE(fa->CellProp(PropForeColor, 3, 2).toUInt(), 0x800000u);
    QCOMPARE(fa->CellProp(PropForeColor, 2, 1).toUInt(), 0x800000u);
    QCOMPARE(a->property("imageIndex").toInt(), 20);
    QCOMPARE(swatch->property("bevel").toInt(), 1);
    QCOMPARE(palette->findChild<QFrame*>("SSPanelColor_0")->property("bevel").toInt(), 2);
    QCOMPARE(formatting(w)->currentColor(), 4);
    // "A" applies the current colour to a new range.
    fa->SelectRange(5, 0);
    act(w, "tbr_A")->trigger();
    QCOMPARE(fa->CellProp(PropForeColor, 5, 0).toUInt(), 0x800000u);
    QCOMPARE(w.editHistory().stack()->count(), 2);
    w.editHistory().stack()->undo();
    QVERIFY(!(fa->table().format(5, 0).fields & CellFormat::HasFore));
    QVERIFY(fa->table().format(3, 2).fields & CellFormat::HasFore);
    w.editHistory().stack()->redo();
    // A click on the palette beside the swatches only hides it.
    act(w, "tbr_Acolor")->trigger();
    QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(1, 1));
    QVERIFY(!palette->isVisible());
    QCOMPARE(formatting(w)->currentColor(), 4);
    // Another colour tried on the same range folds into that step.
    fa->SelectRange(5, 0);
    act(w, "tbr_Acolor")->trigger();
    QTest::mouseClick(palette->findChild<QFrame*>("SSPanelColor_2"), Qt::LeftButton);
    QVERIFY(fa->CellProp(PropForeColor, 5, 0).toUInt() != 0x800000u);
    QCOMPARE(w.editHistory().stack()->count(), 2);
    w.editHistory().stack()->undo();
    QVERIFY(!(fa->table().format(5, 0).fields & CellFormat::HasFore));
}

void TestCellFormat::backColorCancelAndUndo()
{
    ShellHarness h;
    MainWindow& w = started(h, false);
    GridWidget* fa = w.fa();
    fa->SelectRange(2, 1, 3, 2);
    w.document().MakeModified(false);
    const Table before = fa->table();
    h.platform.colorAnswers = {std::nullopt, QColor(0x12, 0x34, 0x56)};
    act(w, "mnuBkColor")->trigger();
    QVERIFY(fa->table() == before);
    QVERIFY(!w.document().IsModified());
    QCOMPARE(w.editHistory().stack()->count(), 0);
    w.commands().toolbarButton("Flood")->trigger();
    QCOMPARE(fa->CellProp(PropBackColor, 3, 2).toUInt(), 0x563412u);
    QVERIFY(w.document().IsModified());
    w.editHistory().stack()->undo();
    QVERIFY(fa->table() == before);
}

void TestCellFormat::alignmentInRowMode()
{
    ShellHarness h;
    MainWindow& w = started(h, true);
    GridWidget* fa = w.fa();
    fa->SelectRange(3, 0, 5, 3);
    // The table's range even while the panel has the focus.
    w.fb()->setFocus();
    act(w, "mnuAlignCenter")->trigger();
    for (int r = 1; r < 7; ++r)
        for (int c = 0; c < 4; ++c)
            QCOMPARE(fa->CellProp(PropAlignment, r, c).toInt(),
                     r >= 3 && r <= 5 ? int(AlignCenter) : int(AlignGeneral));
    w.editHistory().stack()->undo();
    QCOMPARE(fa->CellProp(PropAlignment, 4, 2).toInt(), int(AlignGeneral));
    QVERIFY(!fa->table().hasAnyFormat());
}

void TestCellFormat::alternateColorsAndGridLines()
{
    ShellHarness h;
    MainWindow& w = started(h, false);
    GridWidget* fa = w.fa();
    QVERIFY(act(w, "mnuAlternateColor")->isChecked());
    QCOMPARE(fa->AltRowBackColor(), 0xC0FFC0u);
    act(w, "mnuAlternateColor")->trigger();
    QCOMPARE(fa->AltRowBackColor(), 0xFFFFFFu);
    QVERIFY(!w.alternateRowsOn());
    QVERIFY(act(w, "mnuGrid")->isChecked());
    QCOMPARE(fa->GridLineStyle(), 1);
    act(w, "mnuGrid")->trigger();
    QCOMPARE(fa->GridLineStyle(), 0);
    act(w, "mnuGrid")->trigger();
    QCOMPARE(fa->GridLineStyle(), 1);
    QCOMPARE(w.editHistory().stack()->count(), 0);
}

void TestCellFormat::panelFormattingStaysInPanel()
{
    ShellHarness h;
    MainWindow& w = started(h, false);
    GridWidget* fa = w.fa();
    GridWidget* fb = w.fb();
    fa->SelectRange(2, 0);
    // The table's state is on: its current cell is bold.
    fa->SetCellProp(PropFontBold, 2, 0, true);
    w.tableCommands().fa_Click();
    QVERIFY(act(w, "tbr_Bold")->isChecked());
    QTest::mouseClick(fb->viewport(), Qt::LeftButton, {},
                      fb->visualRect(fb->gridModel()->cellIndex(2, 1)).center());
    QCOMPARE(w.formPanel().activeGrid(), 2);
    QVERIFY(!act(w, "tbr_Bold")->isChecked()); // the panel's own state
    w.document().MakeModified(false);
    const Table before = fa->table();
    act(w, "tbr_Bold")->trigger();
    QVERIFY(boldAt(fb, 2, 1));
    QVERIFY(fa->table() == before);
    QVERIFY(!w.document().IsModified());
    QCOMPARE(w.editHistory().stack()->count(), 0);
    // Back in the table, its own state shows again.
    fa->setFocus();
    QVERIFY(act(w, "tbr_Bold")->isChecked());
    QVERIFY(formatting(w)->styleState(2, 0));
}

void TestCellFormat::nativeRoundTrip()
{
    ShellHarness h;
    MainWindow& w = started(h, false);
    GridWidget* fa = w.fa();
    TableModel* m = fa->gridModel();
    {
        const TableModel::Unrecorded setUp(*m);
        m->setColumnAttr(0, {1500, TypeMoney, "$#,###.00", AlignRight, false});
        m->setColumnAttr(1, {-1, TypeDate, "mm/dd/yy hh:mm AMPM", AlignLeft, true});
        m->setColumnAttr(2, {-1, TypeCheckbox, "", AlignCenter, false});
        m->setColumnAttr(3, {-1, TypeNumber, "#.00%", AlignRight, false});
    }
    h.platform.colorAnswers = {QColor(1, 2, 3)};
    fa->SelectRange(1, 0, 2, 3);
    for (const char* name :
         {"tbr_Bold", "tbr_Italic", "tbr_Underline", "tbr_A", "mnuBkColor", "mnuAlignRight"})
        act(w, name)->trigger();
    Table back;
    QVERIFY(NativeFile::decode(NativeFile::encode(fa->table()), back).ok());
    QVERIFY(back == fa->table());
    const CellFormat f = back.format(2, 3);
    QVERIFY(f.bold && f.italic && f.underline);
    QCOMPARE(f.back, 0x030201u);
    QCOMPARE(int(f.align), int(AlignRight));
    QCOMPARE(back.column(1).format, QString("mm/dd/yy hh:mm AMPM"));
    QVERIFY(back.column(1).hidden);
}

QTEST_MAIN(TestCellFormat)
#include "tst_cellformat.moc"
