#include "files/document.h"
#include "grid/gridwidget.h"
#include "printing/labellayout.h"
#include "printing/labelsheet.h"
#include "printing/printcommands.h"
#include "printing/sheetlayout.h"
#include "shellharness.h"
#include "widgettesting.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace corvanta;

namespace {

// Runs `body` on the modal dialog that `open` brings up, then closes it.
void inModal(const std::function<void()>& open, const std::function<void(QDialog&)>& body)
{
    bool ran = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        ran = true;
        body(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll.start();
    open();
    poll.stop();
    QVERIFY2(ran, "no modal dialog came up");
}

// What the print preview would have shown.
struct Probe
{
    int calls = 0;
    int pages = 0;
    bool landscape = false;
    Page first;
    std::vector<int> labelRows;
    Previewer previewer()
    {
        return [this](PageSource& source, QWidget*, const QString&) {
            ++calls;
            pages = source.pageCount();
            landscape = source.landscape();
            first = source.page(0);
            if (auto* labels = dynamic_cast<const LabelLayout*>(&source))
                labelRows = labels->printedRows();
        };
    }
    bool shows(const QString& text) const
    {
        return std::any_of(first.items.begin(), first.items.end(),
                           [&](const PageItem& i) { return i.text == text; });
    }
};

} // namespace

class TestPrintDialogs : public QObject
{
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void sheetDialogDefaults();
    void sheetScale_data();
    void sheetScale();
    void sheetPrintsTheChoice();
    void cancelledPreviewChangesNothing();
    void labelDialogDefaults();
    void labelPatternDropLists();
    void labelPreviewAndSelectedRows();
    void labelOffsetIsKept();
    void labelDialogPicksATemplate();
    void printToFileKeepsTheOldFile_data();
    void printToFileKeepsTheOldFile();

  private:
    // The key on the main window, made active again as a window manager
    // would after the last dialog closed.
    void press(Qt::Key key)
    {
        m_w->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == m_w);
        QTest::keyClick(m_w, key);
    }

    std::unique_ptr<ShellHarness> m_h;
    MainWindow* m_w = nullptr;
    GridWidget* m_fa = nullptr;
    Probe m_probe;
    Previewer m_preview; // the real print preview
};

void TestPrintDialogs::init()
{
    m_h = std::make_unique<ShellHarness>();
    m_w = &m_h->start();
    m_w->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
    m_w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w));
    m_fa = m_w->fa();
    for (int r = 1; r <= 10; ++r) {
        m_fa->SetCellText(r, 0, QStringLiteral("Name %1").arg(r));
        m_fa->SetCellText(r, 1, QStringLiteral("Street %1").arg(r));
        m_fa->SetCellText(r, 2, QStringLiteral("City %1").arg(r));
        m_fa->SetCellText(r, 3, QStringLiteral("ST"));
        m_fa->SetCellText(r, 4, QStringLiteral("1000%1").arg(r));
    }
    m_probe = Probe();
    m_preview = m_w->findChild<PrintCommands*>()->previewer();
    m_w->findChild<PrintCommands*>()->setPreviewer(m_probe.previewer());
}

void TestPrintDialogs::cleanup()
{
    m_w = nullptr;
    m_h.reset();
}

void TestPrintDialogs::sheetDialogDefaults()
{
    m_fa->SetColumnHidden(3, true);
    clickCell(m_fa, 2, 0);
    clickCell(m_fa, 3, 0, Qt::ShiftModifier);
    inModal([&] { press(Qt::Key_F4); },
            [&](QDialog& d) {
                QCOMPARE(d.objectName(), QStringLiteral("frmPrintSheet"));
                QCOMPARE(d.windowTitle(), QStringLiteral("Print Sheet "));
                GridWidget* fd = child<GridWidget>(&d, "fd");
                QCOMPARE(fd->RowCount(), m_fa->ColCount() + 1);
                QCOMPARE(fd->ColCount(), 3);
                QCOMPARE(fd->CellText(0, 2), QStringLiteral("Print"));
                QCOMPARE(fd->ColumnWidth(1), 1500);
                QCOMPARE(fd->CellText(4, 0), QStringLiteral("4"));
                QCOMPARE(fd->CellText(4, 1), QStringLiteral("State"));
                QCOMPARE(fd->CellCheckAt(4, 2), int(CheckUnchecked));
                QCOMPARE(fd->CellCheckAt(3, 2), int(CheckChecked));
                QCOMPARE(child<QLineEdit>(&d, "txtScale")->text(), QStringLiteral("75"));
                QVERIFY(child<QRadioButton>(&d, "OpOrin_0")->isChecked());
                QCOMPARE(child<QRadioButton>(&d, "OpOrin_1")->text(), QStringLiteral("Landscape"));
                QVERIFY(child<QRadioButton>(&d, "OpDataSource_0")->isChecked());
                QCOMPARE(child<QRadioButton>(&d, "OpDataSource_1")->text(),
                         QStringLiteral("Slected rows (2)"));
                click(&d, "cmdCancel");
                QVERIFY(!d.isVisible());
            });
    QCOMPARE(m_probe.calls, 0);
}

void TestPrintDialogs::sheetScale_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("shown");
    QTest::newRow("down at 50") << "50"
                                << "UpDownCol_Down"
                                << "50";
    QTest::newRow("up at 100") << "100"
                               << "UpDownCol_Up"
                               << "100";
    QTest::newRow("down at 51") << "51"
                                << "UpDownCol_Down"
                                << "50";
    QTest::newRow("up at 99") << "99"
                              << "UpDownCol_Up"
                              << "100";
    QTest::newRow("typed too large, printed") << "250"
                                              << "cmdPrint"
                                              << "100";
    QTest::newRow("typed too small, printed") << "12"
                                              << "cmdPrint"
                                              << "50";
    QTest::newRow("typed nonsense, printed") << "huge"
                                             << "cmdPrint"
                                             << "75";
}

void TestPrintDialogs::sheetScale()
{
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QString, shown);
    inModal([&] { press(Qt::Key_F4); },
            [&](QDialog& d) {
                auto* scale = child<QLineEdit>(&d, "txtScale");
                scale->selectAll();
                QTest::keyClicks(scale, typed);
                click(&d, button.toLatin1().constData());
                QCOMPARE(scale->text(), shown);
            });
    if (button == u"cmdPrint") {
        QCOMPARE(m_probe.calls, 1);
        // The body font is 10 points at 100 per cent.
        QCOMPARE(m_probe.first.fonts.value(1).points, 10 * shown.toInt() / 100.0);
    }
}

void TestPrintDialogs::sheetPrintsTheChoice()
{
    clickCell(m_fa, 4, 0);
    inModal([&] { press(Qt::Key_F4); },
            [&](QDialog& d) {
                GridWidget* fd = child<GridWidget>(&d, "fd");
                clickCell(fd, 2, 2); // Street's "Print"
                QTest::keyClick(fd, Qt::Key_Space);
                QCOMPARE(fd->CellCheckAt(2, 2), int(CheckUnchecked));
                click(&d, "OpOrin_1");
                click(&d, "OpDataSource_1");
                click(&d, "cmdPrint");
                QVERIFY(d.isVisible()); // the dialog stays open after printing
            });
    QCOMPARE(m_probe.calls, 1);
    QVERIFY(m_probe.landscape);
    QCOMPARE(m_probe.first.width, 15840);
    QVERIFY(m_probe.shows("Name 4"));
    QVERIFY(m_probe.shows("Halvorix Corvanta Address Book"));
    QVERIFY(!m_probe.shows("Name 3"));
    QVERIFY(!m_probe.shows("Street 4"));
    QVERIFY(!m_probe.shows("Street"));
}

void TestPrintDialogs::cancelledPreviewChangesNothing()
{
    m_w->findChild<PrintCommands*>()->setPreviewer(m_preview);
    m_w->document().MakeModified(false);
    clickCell(m_fa, 3, 0);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    bool previewShown = false;
    for (const char* shortcut : {"F4", "F5"}) {
        previewShown = false;
        inModal([&] { press(shortcut[1] == '4' ? Qt::Key_F4 : Qt::Key_F5); },
                [&](QDialog& d) {
                    QTimer::singleShot(0, [&] {
                        auto* preview =
                            qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
                        previewShown = preview != nullptr;
                        if (preview)
                            preview->reject();
                    });
                    click(&d, "cmdPrint");
                });
        QVERIFY(previewShown);
    }
    QVERIFY(!m_w->document().IsModified());
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QCOMPARE(m_fa->CurRow(), 3);
    QCOMPARE(m_fa->SelEndRow(), 3);
}

void TestPrintDialogs::labelDialogDefaults()
{
    const LabelTemplates none;
    m_w->findChild<PrintCommands*>()->setLabelTemplates(&none);
    inModal([&] { press(Qt::Key_F5); },
            [&](QDialog& d) {
                // Without the template library the dialog says where more
                // sheets come from.
                QVERIFY(child<QLabel>(&d, "lbMoreSheets")->text().contains("glabels-data"));
                QVERIFY(!d.findChild<QListWidget*>("lstLabelSheets"));
                QCOMPARE(d.objectName(), QStringLiteral("frmReportOptions"));
                QCOMPARE(d.windowTitle(), QStringLiteral("Address Labels Printing"));
                GridWidget* fd = child<GridWidget>(&d, "fd");
                QCOMPARE(fd->RowCount(), 6);
                QCOMPARE(fd->ColCount(), 7);
                QCOMPARE(fd->CellText(0, 3), QStringLiteral("Separator"));
                QCOMPARE(fd->CellProp(PropBackColor, 2, 3).toUInt(), 0xC0FFFFu);
                const QStringList line4{"-1", "City", "comma+space", "State", "space", "Zip Code"};
                for (int c = 1; c <= 6; ++c)
                    QCOMPARE(fd->CellText(4, c), line4[c - 1]);
                QCOMPARE(fd->CellText(2, 2), QStringLiteral("Name"));
                QCOMPARE(fd->CellCheckAt(1, 1), int(CheckUnchecked));
                QCOMPARE(fd->CellCheckAt(5, 1), int(CheckUnchecked));
                auto* format = child<QComboBox>(&d, "cboLabelFormat");
                QCOMPARE(format->count(), 3);
                QCOMPARE(format->currentText(), QStringLiteral("3 x 10"));
                QVERIFY(child<QLabel>(&d, "Image1")->isVisible());
                QVERIFY(!child<QLabel>(&d, "Image3")->isVisible());
                auto* size = child<QComboBox>(&d, "cboFontSize");
                QCOMPARE(size->currentText(), QStringLiteral("10"));
                format->setCurrentText(QStringLiteral("2 x 5"));
                QVERIFY(child<QLabel>(&d, "Image3")->isVisible());
                QVERIFY(!child<QLabel>(&d, "Image1")->isVisible());
                QCOMPARE(size->currentText(), QStringLiteral("16"));
                QVERIFY(child<QCheckBox>(&d, "chkSkip")->isChecked());
                auto* country = child<QLineEdit>(&d, "txtCountry");
                QCOMPARE(country->text(), QStringLiteral("U.S.A."));
                QVERIFY(!country->isEnabled());
                click(&d, "chkCountry");
                QVERIFY(country->isEnabled());
                QCOMPARE(child<QPushButton>(&d, "cmdReset")->toolTip(),
                         QStringLiteral("Reset to standard 3-line address pattern"));
            });
}

void TestPrintDialogs::labelPatternDropLists()
{
    inModal([&] { press(Qt::Key_F5); },
            [&](QDialog& d) {
                GridWidget* fd = child<GridWidget>(&d, "fd");
                clickCell(fd, 3, 4);
                QStringList titles{"  "};
                for (int c = 0; c < m_fa->ColCount(); ++c)
                    titles.append(m_fa->CellText(0, c));
                QVERIFY(titles.join(u'|').startsWith("  |Name|Street|City|State|Zip Code|"));
                QCOMPARE(fd->DropList(), titles.join(u'|'));
                clickCell(fd, 3, 5);
                QCOMPARE(fd->DropList(), QStringLiteral("  |comma+space|space|double space"));
                // Clicking a check box leaves the current cell where it was.
                for (int i = 0; i < 4; ++i)
                    QTest::keyClick(fd, Qt::Key_Left);
                QCOMPARE(fd->CurCol(), 1);
                QCOMPARE(fd->DropList(), QString());
                // Line 3 becomes "Street, City"; an untick empties line 2.
                fd->SetCellText(3, 3, QStringLiteral("comma+space"));
                fd->SetCellText(3, 4, QStringLiteral("City"));
                QTest::keyClick(fd, Qt::Key_Up);
                QTest::keyClick(fd, Qt::Key_Space);
                click(&d, "cmdSample");
                QCOMPARE(child<QLabel>(&d, "lbSample_1")->text(), QString());
                QCOMPARE(child<QLabel>(&d, "lbSample_2")->text(),
                         QStringLiteral("Street 1, City 1"));
                click(&d, "cmdReset");
                click(&d, "cmdSample");
                QCOMPARE(child<QLabel>(&d, "lbSample_1")->text(), QStringLiteral("Name 1"));
                QCOMPARE(child<QLabel>(&d, "lbSample_2")->text(), QStringLiteral("Street 1"));
            });
}

void TestPrintDialogs::labelPreviewAndSelectedRows()
{
    m_fa->SetCellText(7, 1, QString()); // no street: skipped
    clickCell(m_fa, 5, 0);
    clickCell(m_fa, 9, 0, Qt::ControlModifier);
    QCOMPARE(m_fa->PickedRowCount(), 2);
    inModal([&] { press(Qt::Key_F5); },
            [&](QDialog& d) {
                QCOMPARE(child<QRadioButton>(&d, "OpDataSource_1")->text(),
                         QStringLiteral("Slected rows (2)"));
                click(&d, "cmdSample");
                QCOMPARE(child<QLabel>(&d, "lbSample_0")->text(), QString());
                QCOMPARE(child<QLabel>(&d, "lbSample_3")->text(),
                         QStringLiteral("City 1, ST 10001"));
                click(&d, "OpDataSource_1");
                click(&d, "cmdPrint");
                QCOMPARE(m_probe.labelRows, (std::vector<int>{5, 9}));
                click(&d, "OpDataSource_0");
                click(&d, "cmdPrint");
            });
    QCOMPARE(m_probe.calls, 2);
    QCOMPARE(m_probe.labelRows, (std::vector<int>{1, 2, 3, 4, 5, 6, 8, 9, 10}));
}

void TestPrintDialogs::labelOffsetIsKept()
{
    inModal([&] { press(Qt::Key_F5); },
            [&](QDialog& d) {
                auto* right = child<QDoubleSpinBox>(&d, "txtOffsetRight");
                QCOMPARE(right->value(), 0.0);
                right->setValue(1.5);
                child<QDoubleSpinBox>(&d, "txtOffsetDown")->setValue(-2);
                click(&d, "cmdPrint");
            });
    QCOMPARE(m_h->settings->read(QString::fromLatin1(LabelDialog::kOffsetRightKey)),
             QStringLiteral("1.5"));
    // The first label's name, 1.5 mm right and 2 mm up of its cell.
    const auto name = std::find_if(m_probe.first.items.begin(), m_probe.first.items.end(),
                                   [](const PageItem& i) { return i.text == u"Name 1"; });
    QVERIFY(name != m_probe.first.items.end());
    QCOMPARE(name->x, LabelLayout::kMarginLeft + LabelLayout::kCellPadding + 85);
    QCOMPARE(name->y, LabelLayout::kMarginTop + 240 - 113);
    inModal(
        [&] { press(Qt::Key_F5); },
        [&](QDialog& d) { QCOMPARE(child<QDoubleSpinBox>(&d, "txtOffsetDown")->value(), -2.0); });
}

void TestPrintDialogs::labelDialogPicksATemplate()
{
    const LabelSheet* sheet = LabelTemplates::system().named("Avery L7160");
    if (!sheet)
        QSKIP("the label templates (glabels-data) are not installed; scripts/setup.sh installs "
              "them");
    inModal([&] { press(Qt::Key_F5); },
            [&](QDialog& d) {
                QTest::keyClicks(child<QLineEdit>(&d, "txtLabelSearch"), "l7160");
                auto* list = child<QListWidget>(&d, "lstLabelSheets");
                QListWidgetItem* first = nullptr;
                for (int i = 0; i < list->count() && !first; ++i)
                    if (!list->item(i)->isHidden())
                        first = list->item(i);
                QVERIFY(first);
                QVERIFY(first->text().startsWith("Avery L7160"));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(first).center());
                auto* format = child<QComboBox>(&d, "cboLabelFormat");
                QCOMPARE(format->currentText(), QStringLiteral("Avery L7160"));
                for (int i = 0; i < 3; ++i)
                    QCOMPARE(format->itemText(i), LabelFormat::all()[size_t(i)].name);
                QVERIFY(child<QLabel>(&d, "imgSheet")->isVisible());
                QVERIFY(!child<QLabel>(&d, "Image1")->isVisible());
                click(&d, "cmdPrint");
            });
    // The labels are laid on the sheet's A4 paper, the first inside the
    // sheet's first rectangle.
    QCOMPARE(m_probe.first.width, PaperSize::a4().width);
    const auto name = std::find_if(m_probe.first.items.begin(), m_probe.first.items.end(),
                                   [](const PageItem& i) { return i.text == u"Name 1"; });
    QVERIFY(name != m_probe.first.items.end());
    const LabelRect r = sheet->labels.front();
    QVERIFY(name->x >= r.x && name->x + name->w <= r.x + r.w);
    QVERIFY(name->y >= r.y && name->y + name->h <= r.y + r.h);
}

// Print to a PDF file from the print preview: a target that is not a
// regular file is refused without opening it, and a write that fails (here
// at a file-size limit, as on a full disk) leaves the old file whole; both
// are reported.
void TestPrintDialogs::printToFileKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << true << "out.pdf is not a regular file";
    QTest::newRow("write fails") << false << "File too large";
}

void TestPrintDialogs::printToFileKeepsTheOldFile()
{
    QFETCH(bool, fifo);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString out = dir.filePath("out.pdf");
    if (fifo) {
        QCOMPARE(::mkfifo(QFile::encodeName(out).constData(), 0600), 0);
    } else {
        QFile old(out);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old pdf");
    }
    m_w->findChild<PrintCommands*>()->setPreviewer(m_preview);
    m_h->platform.answers << MsgAnswer::Ok;
    rlimit saved = {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    bool printed = false;
    int previewPages = 0;
    inModal([&] { press(Qt::Key_F4); },
            [&](QDialog& d) {
                QTimer::singleShot(0, [&] {
                    auto* preview =
                        qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
                    if (!preview)
                        return;
                    // What the preview's print button does once the print
                    // dialog was answered with a PDF file.
                    QPrinter* printer = preview->printer();
                    printer->setOutputFormat(QPrinter::PdfFormat);
                    printer->setOutputFileName(out);
                    // The preview's own pages still draw on the screen, not
                    // into the file.
                    auto* pages = preview->findChild<QPrintPreviewWidget*>();
                    pages->updatePreview();
                    previewPages = pages->pageCount();
                    const rlimit small = {1024, saved.rlim_max};
                    ::setrlimit(RLIMIT_FSIZE, &small);
                    emit preview->paintRequested(printer);
                    ::setrlimit(RLIMIT_FSIZE, &saved);
                    printed = true;
                    preview->reject();
                });
                click(&d, "cmdPrint");
            });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(printed);
    QVERIFY(previewPages > 0);
    QCOMPARE(m_h->platform.messages.size(), 1);
    QCOMPARE(m_h->platform.lastText(), "Cannot print.\n" + reason);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{"out.pdf"});
    if (!fifo) {
        QFile old(out);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old pdf"));
    }
}

QTEST_MAIN(TestPrintDialogs)
#include "tst_printdialogs.moc"
