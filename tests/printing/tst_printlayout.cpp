#include "grid/table.h"
#include "printing/labellayout.h"
#include "printing/labelsheet.h"
#include "printing/sheetlayout.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace corvanta;

namespace {

const QStringList kTitles{"Name",     "Street", "City",  "State",
                          "Zip Code", "Phone",  "Email", "Web Site"};

// The default layout with `n` records; record r is "Name r", "Street r",
// "City r", "S", "0000r".
Table addressTable(int n)
{
    Table t(n + 1, int(kTitles.size()));
    for (int c = 0; c < kTitles.size(); ++c)
        t.setText(0, c, kTitles[c]);
    for (int r = 1; r <= n; ++r) {
        t.setText(r, 0, QStringLiteral("Name %1").arg(r));
        t.setText(r, 1, QStringLiteral("Street %1").arg(r));
        t.setText(r, 2, QStringLiteral("City %1").arg(r));
        t.setText(r, 3, QStringLiteral("S"));
        t.setText(r, 4, QStringLiteral("0000%1").arg(r));
    }
    return t;
}

std::vector<int> rowsUpTo(int n)
{
    std::vector<int> rows;
    for (int r = 1; r <= n; ++r)
        rows.push_back(r);
    return rows;
}

const PageItem* textItem(const Page& page, const QString& text)
{
    for (const PageItem& item : page.items)
        if (item.kind == PageItem::Text && item.text == text)
            return &item;
    return nullptr;
}

int countKind(const Page& page, PageItem::Kind kind)
{
    return int(std::count_if(page.items.begin(), page.items.end(),
                             [kind](const PageItem& i) { return i.kind == kind; }));
}

} // namespace

class TestPrintLayout : public QObject
{
    Q_OBJECT
  private slots:
    void oneRecordFillsTheFirstBand();
    void fourRecordsWrapToTheSecondBand();
    void twoAcrossFormats();
    void renamedTitlePrintsAnEmptyLine();
    void emptyFirstColumnEmptiesTheLine();
    void separators_data();
    void separators();
    void selectedRowsOnly();
    void labelsSitAtTheSamePlaceOnEveryPage();
    void offsetMovesThePage();
    void skipCountryAndFontSize();
    void countryGoesBelowTheAddress_data();
    void countryGoesBelowTheAddress();
    void linesStayOnTheirLabel_data();
    void linesStayOnTheirLabel();
    void templateLibrary();
    void lengths_data();
    void lengths();
    void templateLabelsSitInTheirRectangles();
    void layoutFollowsThePaper();

    void sheetColumnWidths();
    void sheetColumnsInTheGivenOrder();
    void sheetCheckBoxes();
    void valuesPrintThroughTheirFormat();
    void sheetFlowsDownThenAcross();
    void sheetScaleAndOrientation();
    void scaleFromText_data();
    void scaleFromText();
};

void TestPrintLayout::oneRecordFillsTheFirstBand()
{
    const Table t = addressTable(1);
    const LabelLayout l(t, LabelPattern::standard(kTitles), {1}, LabelOptions{});
    QCOMPARE(l.lastRow(), 8);
    QCOMPARE(l.lastCol(), 3);
    QCOMPARE(l.printArea(), QStringLiteral("A1:C8"));
    const QStringList expected{"", "Name 1", "Street 1", "City 1, S 00001", ""};
    for (int row = 1; row <= 6; ++row)
        QCOMPARE(l.cellText(row, 1), expected.value(row - 1));
    QCOMPARE(l.cellText(2, 2), QString());
    QCOMPARE(l.pageCount(), 1);
}

void TestPrintLayout::fourRecordsWrapToTheSecondBand()
{
    const Table t = addressTable(4);
    const LabelLayout l(t, LabelPattern::standard(kTitles), rowsUpTo(4), LabelOptions{});
    QCOMPARE(l.lastRow(), 14);
    for (int col = 1; col <= 3; ++col)
        QCOMPARE(l.cellText(2, col), QStringLiteral("Name %1").arg(col));
    QCOMPARE(l.cellText(8, 1), QStringLiteral("Name 4"));
    QCOMPARE(l.cellText(10, 1), QStringLiteral("City 4, S 00004"));
    QCOMPARE(l.cellText(8, 2), QString());
    // On the page: record 3 sits one band (six 240-twip rows) below record 0.
    const Page page = l.page(0);
    const PageItem* first = textItem(page, "Name 1");
    const PageItem* fourth = textItem(page, "Name 4");
    QVERIFY(first && fourth);
    QCOMPARE(fourth->x, first->x);
    QCOMPARE(fourth->y - first->y, 6 * 240);
    QCOMPARE(textItem(page, "Name 2")->x - first->x, 3976);
    QCOMPARE(textItem(page, "Name 3")->x - first->x, 2 * 3976);
}

void TestPrintLayout::twoAcrossFormats()
{
    const Table t = addressTable(11);
    LabelOptions o;
    o.format = "2 x 5";
    const LabelLayout l(t, LabelPattern::standard(kTitles), rowsUpTo(11), o);
    QCOMPARE(l.lastRow(), 3 * 11 + 6);
    QCOMPARE(l.printArea(), QStringLiteral("A1:B39"));
    QCOMPARE(l.labelsPerPage(), 10);
    QCOMPARE(l.pageCount(), 2);
    const Page page = l.page(0);
    QCOMPARE(page.fonts.value(0), (PageFont{"Times New Roman", 16, false}));
    const PageItem* name1 = textItem(page, "Name 1");
    const PageItem* name3 = textItem(page, "Name 3");
    QCOMPARE(name1->h, 480);
    QCOMPARE(name3->y - name1->y, 6 * 480);
    QCOMPARE(textItem(page, "Name 2")->x - name1->x, 6120);
    o.format = "2 x 10";
    QCOMPARE(LabelLayout(t, LabelPattern::standard(kTitles), rowsUpTo(11), o).labelsPerPage(), 20);
}

void TestPrintLayout::renamedTitlePrintsAnEmptyLine()
{
    Table t = addressTable(1);
    const LabelPattern loaded = LabelPattern::standard(kTitles);
    t.setText(0, 2, QStringLiteral("Town"));
    QCOMPARE(LabelLayout(t, loaded, {1}, {}).cellText(4, 1), QString());
    QStringList renamed = kTitles;
    renamed[2] = QStringLiteral("Town");
    QCOMPARE(LabelLayout(t, LabelPattern::standard(renamed), {1}, {}).cellText(4, 1),
             QStringLiteral("City 1, S 00001"));
}

void TestPrintLayout::emptyFirstColumnEmptiesTheLine()
{
    const Table t = addressTable(1);
    LabelPattern p;
    p.lines[0] = {true, {"", "Street", "City"}, {"space", "space"}};
    p.lines[1] = {true, {"Name", "", "City"}, {"space", "space"}};
    p.lines[2] = {false, {"Name", "", ""}, {}};
    p.lines[3] = {true, {"name", "", ""}, {}}; // titles match case-sensitively
    const QStringList lines = LabelLayout(t, p, {1}, {}).lines(1);
    QCOMPARE(lines, (QStringList{"", "Name 1", "", "", ""}));
}

void TestPrintLayout::separators_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");
    QTest::newRow("comma+space") << "comma+space"
                                 << "Name 1, Street 1";
    QTest::newRow("comma") << "comma"
                           << "Name 1,Street 1";
    QTest::newRow("space") << "space"
                           << "Name 1 Street 1";
    QTest::newRow("double space") << "double space"
                                  << "Name 1  Street 1";
    QTest::newRow("blank entry") << "  "
                                 << "Name 1Street 1";
    QTest::newRow("unknown") << "Comma"
                             << "Name 1Street 1";
}

void TestPrintLayout::separators()
{
    QFETCH(QString, name);
    QFETCH(QString, line);
    Table t = addressTable(1);
    LabelPattern p;
    p.lines[0] = {true, {"Name", "Street", ""}, {name, "space"}};
    QCOMPARE(LabelLayout(t, p, {1}, {}).lines(1).value(0), line);
    // Empty cells keep their separators; nothing is trimmed.
    t.setText(1, 1, QString());
    p.lines[0] = {true, {"Name", "Street", "City"}, {name, "comma"}};
    QCOMPARE(LabelLayout(t, p, {1}, {}).lines(1).value(0),
             "Name 1" + LabelPattern::separatorText(name) + ",City 1");
}

void TestPrintLayout::selectedRowsOnly()
{
    const Table t = addressTable(10);
    const LabelLayout l(t, LabelPattern::standard(kTitles), {5, 9}, {});
    QCOMPARE(l.labelCount(), 2);
    QCOMPARE(l.lastRow(), 10);
    QCOMPARE(l.cellText(2, 1), QStringLiteral("Name 5"));
    QCOMPARE(l.cellText(2, 2), QStringLiteral("Name 9"));
    QCOMPARE(l.cellText(2, 3), QString());
}

void TestPrintLayout::labelsSitAtTheSamePlaceOnEveryPage()
{
    const int n = 100;
    const Table t = addressTable(n);
    const LabelLayout l(t, LabelPattern::standard(kTitles), rowsUpTo(n), {});
    QCOMPARE(l.labelsPerPage(), 30);
    QCOMPARE(l.pageCount(), 4);
    // US Letter, 0.5 inch top and 0.4 inch left margin: line 2 of the first
    // label is one 240-twip row below the top margin.
    const Page first = l.page(0);
    const PageItem* a = textItem(first, "Name 1");
    QCOMPARE(a->x, 576 + LabelLayout::kCellPadding);
    QCOMPARE(a->y, 720 + 240);
    for (int p = 1; p < l.pageCount(); ++p) {
        const Page page = l.page(p);
        for (int k : {0, 4, 29}) {
            const int record = p * 30 + k + 1;
            if (record > n)
                continue;
            const PageItem* there = textItem(page, QStringLiteral("Name %1").arg(record));
            const PageItem* here = textItem(first, QStringLiteral("Name %1").arg(k + 1));
            QVERIFY(there && here);
            QCOMPARE(there->x, here->x);
            QCOMPARE(there->y, here->y);
        }
    }
    QCOMPARE(countKind(l.page(3), PageItem::Text), 10 * 3);
    // The last label of a page sits in the tenth band, within the paper.
    const PageItem* last = textItem(first, "City 30, S 000030");
    QCOMPARE(last->y + last->h, 720 + 9 * 1440 + 4 * 240);
}

void TestPrintLayout::offsetMovesThePage()
{
    const Table t = addressTable(40);
    LabelOptions o;
    o.offsetRightMm = 1.5;
    o.offsetDownMm = -2;
    const LabelLayout plain(t, LabelPattern::standard(kTitles), rowsUpTo(40), {});
    const LabelLayout moved(t, LabelPattern::standard(kTitles), rowsUpTo(40), o);
    for (int p : {0, 1}) {
        const Page a = plain.page(p);
        const Page b = moved.page(p);
        QCOMPARE(b.items.size(), a.items.size());
        for (size_t i = 0; i < a.items.size(); ++i) {
            QCOMPARE(b.items[i].x - a.items[i].x, 85);   // 1.5 mm
            QCOMPARE(b.items[i].y - a.items[i].y, -113); // -2 mm
        }
    }
}

void TestPrintLayout::skipCountryAndFontSize()
{
    Table t = addressTable(4);
    t.setText(2, 1, QStringLiteral("  ")); // no street
    t.setText(3, 2, QString());            // no city
    LabelOptions o;
    o.skipIncomplete = true;
    o.country = QStringLiteral("U.S.A.");
    o.fontPoints = 12;
    const LabelLayout l(t, LabelPattern::standard(kTitles), rowsUpTo(4), o);
    QCOMPARE(l.printedRows(), (std::vector<int>{1, 4}));
    QCOMPARE(l.lines(1), (QStringList{"", "Name 1", "Street 1", "City 1, S 00001", "U.S.A."}));
    QCOMPARE(l.page(0).fonts.value(0).points, 12.0);
    // A pattern of fewer lines gets the country right below its last one.
    LabelPattern p;
    p.lines[0] = {true, {"Name", "", ""}, {}};
    QCOMPARE(LabelLayout(t, p, {1}, o).lines(1), (QStringList{"Name 1", "U.S.A.", "", "", ""}));
}

void TestPrintLayout::countryGoesBelowTheAddress_data()
{
    QTest::addColumn<QList<int>>("used"); // pattern lines ticked, from 0
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("standard") << QList<int>{1, 2, 3}
                              << QStringList{"", "Name 1", "Street 1", "City 1, S 00001", "Land"};
    QTest::newRow("phone on line 1")
        << QList<int>{0, 1, 2, 3}
        << QStringList{"(978) 555-0142", "Name 1", "Street 1", "City 1, S 00001", "Land"};
    QTest::newRow("five lines")
        << QList<int>{0, 1, 2, 3, 4}
        << QStringList{"(978) 555-0142", "Name 1", "Street 1", "City 1, S 00001", "S", "Land"};
    QTest::newRow("gap above the last") << QList<int>{0, 3} << QStringList{"(978) 555-0142", "", "",
                                                                           "City 1, S 00001", "Land"};
}

void TestPrintLayout::countryGoesBelowTheAddress()
{
    QFETCH(QList<int>, used);
    QFETCH(QStringList, lines);
    Table t = addressTable(1);
    t.setText(1, 5, QStringLiteral("(978) 555-0142"));
    LabelPattern p = LabelPattern::standard(kTitles);
    p.lines[0] = {false, {"Phone", "", ""}, {}};
    p.lines[4] = {false, {"State", "", ""}, {}};
    for (int i = 0; i < LabelPattern::kLines; ++i)
        p.lines[i].used = used.contains(i);
    LabelOptions o;
    o.country = QStringLiteral("Land");
    const LabelLayout l(t, p, {1}, o);
    QCOMPARE(l.lines(1), lines);
    // On the page the country sits one row below the line it follows.
    const Page page = l.page(0);
    QCOMPARE(textItem(page, "Land")->y - textItem(page, lines[lines.size() - 2])->y, 240);
}

// A long street on each format: never past its label's right edge
// less the margin, and each label's text starts on that label.
void TestPrintLayout::linesStayOnTheirLabel_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("labelX0");
    QTest::addColumn<int>("pitch");
    QTest::addColumn<int>("labelWidth");
    QTest::newRow("3 x 10") << "3 x 10" << 225 << 4005 << 3780; // 2 5/8 in
    QTest::newRow("2 x 10") << "2 x 10" << 225 << 6030 << 5760; // 4 in
    QTest::newRow("2 x 5") << "2 x 5" << 234 << 6030 << 5760;
}

void TestPrintLayout::linesStayOnTheirLabel()
{
    QFETCH(QString, format);
    QFETCH(int, labelX0);
    QFETCH(int, pitch);
    QFETCH(int, labelWidth);
    Table t = addressTable(3);
    for (int r = 1; r <= 3; ++r)
        t.setText(r, 1, QStringLiteral("12345 Northwest Willowbrook Boulevard Apt 1200"));
    LabelOptions o;
    o.format = format;
    const LabelLayout l(t, LabelPattern::standard(kTitles), rowsUpTo(3), o);
    const Page page = l.page(0);
    int seen = 0;
    for (const PageItem& item : page.items) {
        const int col = (item.x - labelX0) / pitch;
        QVERIFY(item.x >= labelX0 + col * pitch);
        QCOMPARE(item.x + item.w <= labelX0 + col * pitch + labelWidth - 90, true);
        seen += item.text.startsWith(u"12345");
    }
    QCOMPARE(seen, 3);
}

void TestPrintLayout::templateLibrary()
{
    QTemporaryDir dir;
    QFile f(dir.filePath("acme-templates.xml"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(R"(<?xml version="1.0"?>
<Glabels-templates>
  <Template brand="Acme" part="5100" size="US-Letter" _description="Address Labels">
    <Meta category="label"/>
    <Label-rectangle id="0" width="2.625in" height="1in" round="0.0625in">
      <Markup-margin size="0.0625in"/>
      <Layout nx="3" ny="10" x0="0.15625in" y0="0.5in" dx="2.78125in" dy="1in"/>
    </Label-rectangle>
  </Template>
  <Template brand="Acme" part="L5100" equiv="5100"/>
  <Template brand="Acme" part="15100" size="A4" _description="Mailing labels">
    <Label-rectangle id="0" width="181.4" height="108.0" round="5">
      <Markup-margin size="5.5"/>
      <Layout nx="3" ny="7" x0="21.2" y0="43.9" dx="187.2" dy="108.0"/>
    </Label-rectangle>
  </Template>
  <Template brand="Acme" part="Disc" size="A4">
    <Label-cd id="0" radius="58.5mm" hole="20mm"><Layout nx="1" ny="2" x0="0" y0="0" dx="0" dy="0"/></Label-cd>
  </Template>
  <Template brand="Acme" part="Disc2" equiv="Disc"/>
  <Template brand="Bolt" part="Odd" size="Other" width="100mm" height="60mm">
    <Label-rectangle id="0" width="40mm" height="20mm">
      <Layout nx="1" ny="2" x0="5mm" y0="5mm" dx="0" dy="25mm"/>
      <Layout nx="1" ny="1" x0="50mm" y0="5mm" dx="0" dy="0"/>
    </Label-rectangle>
  </Template>
  <Template brand="BOLT" part="Capital" size="A4">
    <Label-rectangle id="0" width="1in" height="1in"><Layout nx="1" ny="1" x0="0" y0="0" dx="0" dy="0"/></Label-rectangle>
  </Template>
  <Template brand="Bolt" part="Bad" size="Nowhere">
    <Label-rectangle id="0" width="1in" height="1in"><Layout nx="1" ny="1" x0="0" y0="0" dx="0" dy="0"/></Label-rectangle>
  </Template>
</Glabels-templates>
)");
    f.close();
    const LabelTemplates lib = LabelTemplates::load(dir.path());
    QStringList names;
    for (const LabelSheet& s : lib.sheets())
        names.append(s.name);
    // Round discs and unknown paper are left out; products sort by number.
    QCOMPARE(names, (QStringList{"Acme 5100", "Acme 15100", "Acme L5100", "BOLT Capital",
                                 "Bolt Odd"}));
    QCOMPARE(lib.makers(), (QStringList{"Acme", "BOLT"})); // one entry per maker
    const LabelSheet* equiv = lib.named("acme  l5100");
    QVERIFY(equiv);
    QCOMPARE(equiv->paper, PaperSize::letter());
    QCOMPARE(equiv->description, QStringLiteral("Address Labels"));
    QCOMPARE(equiv->perSheet(), 30);
    QCOMPARE(equiv->across(), 3);
    QCOMPARE(equiv->labels[1], (LabelRect{225 + 4005, 720, 3780, 1440}));
    QCOMPARE(equiv->labels[29], (LabelRect{225 + 2 * 4005, 720 + 9 * 1440, 3780, 1440}));
    const LabelSheet* a4 = lib.named("Acme 15100");
    QCOMPARE(a4->paper, PaperSize::a4());
    QCOMPARE(a4->textMargin, 110); // 5.5 points; less than 90 twips never
    QCOMPARE(a4->labels[0], (LabelRect{424, 878, 3628, 2160}));
    const LabelSheet* odd = lib.named("Bolt Odd");
    QCOMPARE(odd->paper.width, 5669);
    // Filled row by row whatever the order of the layouts.
    QCOMPARE(odd->labels[1].x, 2835);
    QCOMPARE(odd->labels[2].y, 283 + 1417);
    QVERIFY(LabelTemplates::load(dir.filePath("none")).isEmpty());
}

void TestPrintLayout::lengths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("twips");
    QTest::newRow("points by default") << "72" << 1440;
    QTest::newRow("pt") << "9pt" << 180;
    QTest::newRow("in") << "0.15625in" << 225;
    QTest::newRow("mm") << "25.4mm" << 1440;
    QTest::newRow("cm") << "0.7cm" << 397;
    QTest::newRow("pc") << "1pc" << 240;
    QTest::newRow("unknown unit") << "3px" << -1;
    QTest::newRow("negative") << "-1in" << -1;
    QTest::newRow("not a number") << "wide" << -1;
}

void TestPrintLayout::lengths()
{
    QFETCH(QString, text);
    QFETCH(int, twips);
    QCOMPARE(twipsOfLength(text), twips);
}

void TestPrintLayout::templateLabelsSitInTheirRectangles()
{
    Table t = addressTable(25);
    t.setText(25, 1, QStringLiteral("12345 Northwest Willowbrook Boulevard Apt 1200"));
    LabelSheet sheet;
    sheet.name = QStringLiteral("Small 12");
    sheet.paper = PaperSize::a4();
    sheet.labelWidth = 2800;
    sheet.labelHeight = 900; // too low for four 10-point lines
    sheet.textMargin = 100;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            sheet.labels.push_back({700 + c * 3400, 1000 + r * 1100, 2800, 900});
    LabelOptions o;
    o.sheet = sheet;
    o.country = QStringLiteral("Land");
    LabelLayout l(t, LabelPattern::standard(kTitles), rowsUpTo(25), o);
    QCOMPARE(l.labelsPerPage(), 12);
    QCOMPARE(l.pageCount(), 3);
    l.setPaper(PaperSize::letter()); // the sheet keeps its own paper
    QCOMPARE(l.page(2).width, PaperSize::a4().width);
    for (int p : {0, 1, 2}) {
        const Page page = l.page(p);
        QCOMPARE(page.fonts.value(0).points, 700.0 / 4 / 24); // shrunk to fit
        for (const PageItem& item : page.items) {
            const auto in = std::find_if(sheet.labels.begin(), sheet.labels.end(),
                                         [&](const LabelRect& r) {
                                             return item.x >= r.x + 100 &&
                                                    item.x + item.w <= r.x + r.w - 100 &&
                                                    item.y >= r.y + 100 &&
                                                    item.y + item.h <= r.y + r.h - 100;
                                         });
            QVERIFY2(in != sheet.labels.end(), qPrintable(item.text));
        }
    }
    // Label 25 is the first of page 3, in the first rectangle, its block
    // centred: Name, Street, City, Land.
    const Page last = l.page(2);
    QCOMPARE(textItem(last, "Name 25")->y, 1000 + (900 - 4 * 175) / 2);
    QCOMPARE(textItem(last, "Land")->y, 1000 + (900 - 4 * 175) / 2 + 3 * 175);
}

void TestPrintLayout::layoutFollowsThePaper()
{
    QCOMPARE(PaperSize::forLocale(QLocale(QLocale::English, QLocale::UnitedStates)),
             PaperSize::letter());
    QCOMPARE(PaperSize::forLocale(QLocale(QLocale::German, QLocale::Germany)), PaperSize::a4());
    QCOMPARE(PaperSize::named("A4"), PaperSize::a4());
    QVERIFY(!PaperSize::named("a5"));
    const Table t = addressTable(200);
    SheetOptions o;
    o.rows = rowsUpTo(200);
    o.scale = 100;
    o.paper = PaperSize::a4();
    SheetLayout sheet(t, o);
    // 16838 twips less two inches of margin: 54 rows of 255, less the headings.
    QCOMPARE(sheet.rowsPerPage(), 53);
    QCOMPARE(sheet.page(0).width, 11906);
    sheet.setPaper(PaperSize::letter());
    QCOMPARE(sheet.rowsPerPage(), 49);
    QCOMPARE(sheet.page(0).height, 15840);
    LabelOptions lo;
    lo.paper = PaperSize::a4();
    const LabelLayout labels(t, LabelPattern::standard(kTitles), rowsUpTo(200), lo);
    QCOMPARE(labels.page(0).height, 16838);
    QCOMPARE(labels.labelsPerPage(), 30);
}

void TestPrintLayout::sheetColumnsInTheGivenOrder()
{
    const Table t = addressTable(2);
    SheetOptions o;
    o.rows = {1, 2};
    o.columns = {4, 0};
    const SheetLayout l(t, o);
    const Page page = l.page(0);
    QVERIFY(textItem(page, "00001")->x < textItem(page, "Name 1")->x);
    QVERIFY(!textItem(page, "Street 1"));
    QCOMPARE(l.sheetColumnWidth(1), 0);
}

void TestPrintLayout::sheetColumnWidths()
{
    Table t = addressTable(3);
    ColumnAttr a;
    a.width = 1504; // 1804.8 on the sheet: rounded, not cut
    t.setColumn(0, a);
    a.hidden = true;
    t.setColumn(1, a);
    const SheetLayout visible(t, SheetOptions{{}, false, 100, {1, 2, 3}, {}, {}});
    QCOMPARE(visible.sheetColumnWidth(0), 1805);
    QCOMPARE(visible.sheetColumnWidth(1), 0);
    QCOMPARE(visible.sheetColumnWidth(2), 1152); // the default 960
    QVERIFY(!textItem(visible.page(0), "Street 1"));
    // Ticking the hidden column prints it at 1.2 times its width.
    const SheetLayout ticked(t, SheetOptions{{true, true, false}, false, 100, {1, 2, 3}, {}, {}});
    QCOMPARE(ticked.sheetColumnWidth(1), 1805);
    QCOMPARE(ticked.sheetColumnWidth(2), 0);
    const Page page = ticked.page(0);
    QCOMPARE(textItem(page, "Street 1")->x - textItem(page, "Name 1")->x, 1805);
    QVERIFY(!textItem(page, "City 1"));
    QVERIFY(textItem(page, "Halvorix Corvanta Address Book"));
}

void TestPrintLayout::sheetCheckBoxes()
{
    Table t = addressTable(3);
    ColumnAttr a;
    a.type = TypeCheckbox;
    a.width = 960;
    t.setColumn(0, a);
    t.setText(1, 0, QStringLiteral("-1"));
    t.setText(2, 0, QStringLiteral("0"));
    t.setText(3, 0, QStringLiteral("1"));
    const SheetLayout l(t, SheetOptions{{true}, false, 100, {1, 2, 3}, {}, {}});
    const Page page = l.page(0);
    std::vector<const PageItem*> boxes;
    for (const PageItem& i : page.items)
        if (i.kind == PageItem::Box)
            boxes.push_back(&i);
    QCOMPARE(int(boxes.size()), 3);
    QCOMPARE(boxes[0]->checked, true);
    QCOMPARE(boxes[1]->checked, false);
    QCOMPARE(boxes[2]->checked, true);
    QVERIFY(!textItem(page, "-1"));
    // 0.4 into the 1152-twip cell, 230 wide, 0.1 to 0.9 of a 255-twip row.
    QCOMPARE(boxes[0]->x, SheetLayout::kMarginLeftRight + 461);
    QCOMPARE(boxes[0]->w, 230);
    QCOMPARE(boxes[0]->y, SheetLayout::kMarginTopBottom + 255 + 26);
    QCOMPARE(boxes[0]->h, 204);
    QCOMPARE(boxes[1]->y - boxes[0]->y, 255);
}

void TestPrintLayout::valuesPrintThroughTheirFormat()
{
    Table t = addressTable(1);
    ColumnAttr money;
    money.type = TypeMoney;
    money.format = QStringLiteral("$#,###.00");
    t.setColumn(5, money);
    t.setText(1, 5, QStringLiteral("1250.5"));
    const Page page = SheetLayout(t, SheetOptions{{}, false, 100, {1}, {}, {}}).page(0);
    const PageItem* item = textItem(page, "$1,250.50");
    QVERIFY(item);
    QCOMPARE(item->align, int(AlignRight));
    LabelPattern p;
    p.lines[0] = {true, {"Name", "Phone", ""}, {"space", ""}};
    QCOMPARE(LabelLayout(t, p, {1}, {}).lines(1).value(0), QStringLiteral("Name 1 $1,250.50"));
}

void TestPrintLayout::sheetFlowsDownThenAcross()
{
    Table t = addressTable(130);
    ColumnAttr wide;
    wide.width = 2500; // 3000 on the sheet
    for (int c = 0; c < t.colCount(); ++c)
        t.setColumn(c, wide);
    const SheetLayout l(t, SheetOptions{{}, false, 100, rowsUpTo(130), {}, {}});
    // 10080 twips across a portrait page: three columns a page; 12960 down
    // (50 rows of 255 twips), less the headings.
    QCOMPARE(l.pagesAcross(), 3);
    QCOMPARE(l.rowsPerPage(), 49);
    QCOMPARE(l.pagesDown(), 3);
    QCOMPARE(l.pageCount(), 9);
    const Page second = l.page(1);
    QVERIFY(textItem(second, "Name 50"));
    QVERIFY(!textItem(second, "Name 49"));
    QVERIFY(textItem(second, "Name"));
    QVERIFY(textItem(second, "City"));
    QVERIFY(!textItem(second, "State"));
    const Page across = l.page(3);
    QVERIFY(textItem(across, "State"));
    QVERIFY(textItem(across, "S"));
    QCOMPARE(textItem(across, "State")->y, textItem(second, "Name")->y);
    // The last page holds the last 32 rows: 33 + 1 rules down, 4 across.
    const Page last = l.page(8);
    QCOMPARE(countKind(last, PageItem::Line), 34 + 3);
    QVERIFY(textItem(last, "Web Site"));
}

void TestPrintLayout::sheetScaleAndOrientation()
{
    const Table t = addressTable(2);
    const SheetLayout full(t, SheetOptions{{}, false, 100, {1, 2}, {}, {}});
    const SheetLayout half(t, SheetOptions{{}, true, 50, {1, 2}, {}, {}});
    QCOMPARE(half.page(0).width, 15840);
    QCOMPARE(half.page(0).height, 12240);
    QVERIFY(half.landscape());
    const Page fullPage = full.page(0);
    const Page halfPage = half.page(0);
    const PageItem* a = textItem(fullPage, "Street 2");
    const PageItem* b = textItem(halfPage, "Street 2");
    QCOMPARE(b->x - SheetLayout::kMarginLeftRight, (a->x - SheetLayout::kMarginLeftRight) / 2);
    QCOMPARE(b->y - SheetLayout::kMarginTopBottom, (a->y - SheetLayout::kMarginTopBottom + 1) / 2);
    QCOMPARE(halfPage.fonts.value(b->font).points, 5.0);
    QCOMPARE(half.rowsPerPage(), int(2 * 9360 / 255) - 1);
}

void TestPrintLayout::scaleFromText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("scale");
    QTest::newRow("in range") << "80" << 80;
    QTest::newRow("blanks") << " 60 " << 60;
    QTest::newRow("too large") << "250" << 100;
    QTest::newRow("too small") << "10" << 50;
    QTest::newRow("negative") << "-5" << 50;
    QTest::newRow("fraction") << "66.6" << 67;
    QTest::newRow("not a number") << "abc" << 75;
    QTest::newRow("empty") << "" << 75;
    QTest::newRow("infinite") << "inf" << 75;
}

void TestPrintLayout::scaleFromText()
{
    QFETCH(QString, typed);
    QFETCH(int, scale);
    QCOMPARE(SheetLayout::scaleFromText(typed), scale);
}

QTEST_GUILESS_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
