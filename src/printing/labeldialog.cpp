#include "printing/labeldialog.h"

#include "grid/gridwidget.h"
#include "printing/choicegrid.h"
#include "printing/printedvalue.h"
#include "printing/recordrows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvanta {

namespace {

constexpr int kRows = LabelPattern::kLines + 1;
// Pattern grid columns of a line's first column, separator, second column...
constexpr std::array<int, 3> kColumnCells{2, 4, 6};
constexpr std::array<int, 2> kSeparatorCells{3, 5};

constexpr int kTemplateItem = 4; // after the three formats and a separator

// A small picture of a label sheet: the page and its labels, 88 pixels high.
QPixmap sheetPicture(const PaperSize& paper, const std::vector<LabelRect>& labels)
{
    const double k = 87.0 / paper.height;
    QPixmap picture(int(paper.width * k) + 1, 88);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setPen(Qt::darkGray);
    p.drawRect(0, 0, picture.width() - 1, 87);
    p.setPen(Qt::gray);
    for (const LabelRect& r : labels)
        p.drawRoundedRect(QRectF(r.x * k, r.y * k, r.w * k, r.h * k), 1.5, 1.5);
    return picture;
}

QPixmap sheetPicture(const LabelFormat& format)
{
    std::vector<LabelRect> labels;
    const int down = LabelLayout::bandsPerPage(format);
    const int h = LabelLayout::kBandRows * format.rowHeight;
    for (int r = 0; r < down; ++r)
        for (int c = 0; c < format.across; ++c)
            labels.push_back({format.labelX0 + c * format.labelPitch,
                              LabelLayout::kMarginTop + r * h, format.labelWidth, h});
    return sheetPicture(PaperSize(), labels);
}

QLabel* label(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

} // namespace

LabelDialog::LabelDialog(GridWidget& records, int streetColumn, Previewer previewer,
                         LabelOffsetStore offsets, const LabelTemplates& templates,
                         QWidget* parent)
    : QDialog(parent), m_records(records), m_streetColumn(streetColumn),
      m_previewer(std::move(previewer)), m_offsets(std::move(offsets)), m_templates(templates)
{
    setObjectName(QStringLiteral("frmReportOptions"));
    setWindowTitle(QStringLiteral("Address Labels Printing"));

    m_fd = new GridWidget(this);
    m_fd->setObjectName(QStringLiteral("fd"));
    buildPattern();
    connect(m_fd->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { setDropListFor(current.column()); });

    QWidget* sheet = buildSheetBox();

    auto* area = new QGroupBox(QStringLiteral("Print"), this);
    m_all = new QRadioButton(QStringLiteral("All"), area);
    m_all->setObjectName(QStringLiteral("OpDataSource_0"));
    m_all->setChecked(true);
    m_selected = new QRadioButton(selectedRowsCaption(m_records), area);
    m_selected->setObjectName(QStringLiteral("OpDataSource_1"));
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->addWidget(m_all);
    areaLayout->addWidget(m_selected);

    // Options.
    auto* optionsBox = new QGroupBox(QStringLiteral("Options"), this);
    m_skip = new QCheckBox(QStringLiteral("Skip incompleted address"), optionsBox);
    m_skip->setObjectName(QStringLiteral("chkSkip"));
    m_skip->setChecked(true);
    m_skip->setToolTip(QStringLiteral("Leave out records without a street or a city"));
    m_country = new QCheckBox(QStringLiteral("Print on the 4th line"), optionsBox);
    m_country->setObjectName(QStringLiteral("chkCountry"));
    m_countryText = new QLineEdit(QStringLiteral("U.S.A."), optionsBox);
    m_countryText->setObjectName(QStringLiteral("txtCountry"));
    m_countryText->setEnabled(false);
    connect(m_country, &QCheckBox::toggled, m_countryText, &QWidget::setEnabled);
    m_fontSize = new QComboBox(optionsBox);
    m_fontSize->setObjectName(QStringLiteral("cboFontSize"));
    m_fontSize->setEditable(true);
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20})
        m_fontSize->addItem(QString::number(size));
    m_offsetRight = new QDoubleSpinBox(optionsBox);
    m_offsetRight->setObjectName(QStringLiteral("txtOffsetRight"));
    m_offsetDown = new QDoubleSpinBox(optionsBox);
    m_offsetDown->setObjectName(QStringLiteral("txtOffsetDown"));
    for (QDoubleSpinBox* box : {m_offsetRight, m_offsetDown}) {
        box->setRange(-25.0, 25.0);
        box->setDecimals(1);
        box->setSingleStep(0.5);
        box->setSuffix(QStringLiteral(" mm"));
    }
    if (m_offsets.read) {
        m_offsetRight->setValue(m_offsets.read(QString::fromLatin1(kOffsetRightKey)).toDouble());
        m_offsetDown->setValue(m_offsets.read(QString::fromLatin1(kOffsetDownKey)).toDouble());
    }
    auto* countryRow = new QHBoxLayout;
    countryRow->addWidget(m_country);
    countryRow->addWidget(m_countryText);
    auto* offsetRow = new QHBoxLayout;
    offsetRow->addWidget(m_offsetRight);
    offsetRow->addWidget(label(QStringLiteral("right"), optionsBox));
    offsetRow->addWidget(m_offsetDown);
    offsetRow->addWidget(label(QStringLiteral("down"), optionsBox));
    auto* optionsLayout = new QFormLayout(optionsBox);
    optionsLayout->addRow(m_skip);
    optionsLayout->addRow(countryRow);
    optionsLayout->addRow(QStringLiteral("Font size:"), m_fontSize);
    optionsLayout->addRow(QStringLiteral("Print offset:"), offsetRow);

    // The preview of the first record.
    auto* sample = new QGroupBox(QStringLiteral("Sample"), this);
    auto* sampleLayout = new QVBoxLayout(sample);
    for (int i = 0; i < LabelPattern::kLines; ++i) {
        m_sample[i] = new QLabel(sample);
        m_sample[i]->setObjectName(QStringLiteral("lbSample_%1").arg(i));
        m_sample[i]->setMinimumHeight(m_sample[i]->fontMetrics().height());
        sampleLayout->addWidget(m_sample[i]);
    }
    m_sampleImage = new QLabel(sample);
    m_sampleImage->setObjectName(QStringLiteral("imgSample"));
    sampleLayout->addWidget(m_sampleImage);

    auto button = [this](const QString& name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setToolTip(tip);
        return b;
    };
    auto* sampleButton = button(QStringLiteral("cmdSample"), QStringLiteral("Pre&view"),
                                QStringLiteral("View the first record label format"));
    auto* reset = button(QStringLiteral("cmdReset"), QStringLiteral("&Reset"),
                         QStringLiteral("Reset to standard 3-line address pattern"));
    auto* print = button(QStringLiteral("cmdPrint"), QStringLiteral("&Print && Preview"), {});
    auto* cancel = button(QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"), {});
    connect(sampleButton, &QPushButton::clicked, this, &LabelDialog::cmdSample_Click);
    connect(reset, &QPushButton::clicked, this, &LabelDialog::cmdReset_Click);
    connect(print, &QPushButton::clicked, this, &LabelDialog::cmdPrint_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The help beside the pattern.
    auto* help = new QGridLayout;
    help->addWidget(label(QStringLiteral("Use the Reset button to set the default 3-line "
                                         "pattern: "),
                          this),
                    0, 0, 1, 2);
    const QStringList lines{QStringLiteral("Name(1)"), QStringLiteral("Street(2)"),
                            QStringLiteral("City(3), State(4) Zipcode(5)")};
    for (int i = 0; i < 3; ++i) {
        help->addWidget(new QLabel(QStringLiteral("Line%1:").arg(i + 2), this), i + 1, 0);
        help->addWidget(new QLabel(lines[i], this), i + 1, 1);
    }
    help->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Mailing Label Format:"), this));
    left->addWidget(m_fd);
    left->addWidget(label(QStringLiteral("Click the Sample button to preview the first record. "
                                         "Click the cell to form the string concatenation for "
                                         "each line."),
                          this));
    left->addLayout(help);
    left->addWidget(sample);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {sampleButton, reset, print, cancel})
        buttons->addWidget(b);
    auto* right = new QVBoxLayout;
    right->addWidget(sheet);
    right->addWidget(area);
    right->addWidget(optionsBox);
    right->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addLayout(left, 0, 0);
    layout->addLayout(right, 0, 1);
    layout->addLayout(buttons, 1, 0, 1, 2);
    m_fd->setMinimumSize(GridWidget::twipsToPixels(500 + 300 + 3 * 1100 + 2 * 1500) + 30,
                         GridWidget::twipsToPixels(kRows * 300) + 10);
    showFormat(m_format->currentText());
    print->setDefault(true);
}

QWidget* LabelDialog::buildSheetBox()
{
    auto* sheet = new QGroupBox(QStringLiteral("Label sheet"), this);
    m_format = new QComboBox(sheet);
    m_format->setObjectName(QStringLiteral("cboLabelFormat"));
    auto* pictures = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        const LabelFormat& f = LabelFormat::all()[i];
        m_format->addItem(f.name);
        m_images[i] = new QLabel(sheet);
        m_images[i]->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        m_images[i]->setPixmap(sheetPicture(f));
        pictures->addWidget(m_images[i]);
    }
    m_sheetImage = new QLabel(sheet);
    m_sheetImage->setObjectName(QStringLiteral("imgSheet"));
    pictures->addWidget(m_sheetImage);
    m_sheetInfo = label(QString(), sheet);
    m_sheetInfo->setObjectName(QStringLiteral("lbSheetInfo"));
    pictures->addWidget(m_sheetInfo, 1);
    auto* layout = new QVBoxLayout(sheet);
    layout->addWidget(m_format);
    layout->addLayout(pictures);
    connect(m_format, &QComboBox::currentTextChanged, this, &LabelDialog::showFormat);

    if (m_templates.isEmpty()) {
        auto* more = label(QStringLiteral("More label sheets, by maker and product, come with the "
                                          "glabels-data package (read from %1).")
                               .arg(LabelTemplates::defaultFolder()),
                           sheet);
        more->setObjectName(QStringLiteral("lbMoreSheets"));
        layout->addWidget(more);
        return sheet;
    }
    // The library: a maker, a search over names and descriptions, and the
    // products that match.
    m_maker = new QComboBox(sheet);
    m_maker->setObjectName(QStringLiteral("cboLabelMaker"));
    m_maker->addItem(QStringLiteral("All makers"));
    m_maker->addItems(m_templates.makers());
    m_search = new QLineEdit(sheet);
    m_search->setObjectName(QStringLiteral("txtLabelSearch"));
    m_search->setPlaceholderText(QStringLiteral("Search: 5160, L7160, address..."));
    m_search->setClearButtonEnabled(true);
    m_sheets = new QListWidget(sheet);
    m_sheets->setObjectName(QStringLiteral("lstLabelSheets"));
    for (const LabelSheet& s : m_templates.sheets()) {
        auto* item = new QListWidgetItem(s.description.isEmpty()
                                             ? s.name
                                             : QStringLiteral("%1 (%2)").arg(s.name, s.description),
                                         m_sheets);
        item->setData(Qt::UserRole, s.name);
    }
    m_sheets->setMinimumHeight(120);
    auto* find = new QHBoxLayout;
    find->addWidget(m_maker);
    find->addWidget(m_search, 1);
    layout->addLayout(find);
    layout->addWidget(m_sheets);
    connect(m_maker, &QComboBox::currentIndexChanged, this, &LabelDialog::filterSheets);
    connect(m_search, &QLineEdit::textChanged, this, &LabelDialog::filterSheets);
    connect(m_sheets, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            pickSheet(item->data(Qt::UserRole).toString());
    });
    return sheet;
}

void LabelDialog::filterSheets()
{
    const QString maker = m_maker->currentIndex() > 0 ? m_maker->currentText() : QString();
    const QStringList words = m_search->text().split(u' ', Qt::SkipEmptyParts);
    for (int i = 0; i < m_sheets->count(); ++i) {
        QListWidgetItem* item = m_sheets->item(i);
        const QString text = item->text();
        bool shown = maker.isEmpty() || text.startsWith(maker + u' ', Qt::CaseInsensitive);
        for (const QString& w : words)
            shown = shown && text.contains(w, Qt::CaseInsensitive);
        item->setHidden(!shown);
    }
}

void LabelDialog::pickSheet(const QString& name)
{
    // The format box keeps the three formats first; the sheet picked from
    // the library follows them, after a separator.
    if (m_format->count() <= kTemplateItem) {
        m_format->insertSeparator(3);
        m_format->addItem(name);
    } else {
        m_format->setItemText(kTemplateItem, name);
    }
    m_format->setCurrentIndex(kTemplateItem);
}

void LabelDialog::buildPattern()
{
    setUpChoiceGrid(*m_fd, kRows,
                    {QStringLiteral("Line"), QString(), QStringLiteral("Column"),
                     QStringLiteral("Separator"), QStringLiteral("Column"),
                     QStringLiteral("Separator"), QStringLiteral("Column")},
                    {500, 300, 1100, 1500, 1100, 1500, 1100});
    m_fd->SetColumnType(1, TypeCheckbox);
    m_fd->SetColumnLocked(0, true);
    for (int r = 1; r < kRows; ++r) {
        m_fd->SetCellText(r, 0, QString::number(r));
        m_fd->SetCellText(r, 1, QStringLiteral("0"));
    }
    for (int c : kSeparatorCells)
        m_fd->SetCellProp(PropBackColor, 1, c, quint32(0xC0FFFF), kRows - 1, c);
    cmdReset_Click();
}

void LabelDialog::setDropListFor(int col)
{
    if (std::find(kColumnCells.begin(), kColumnCells.end(), col) != kColumnCells.end()) {
        QStringList entries{QStringLiteral("  ")};
        for (int c = 0; c < m_records.ColCount(); ++c)
            entries.append(m_records.CellText(0, c));
        m_fd->SetDropList(entries.join(u'|'));
    } else if (std::find(kSeparatorCells.begin(), kSeparatorCells.end(), col) !=
               kSeparatorCells.end()) {
        m_fd->SetDropList(QStringLiteral("  |comma+space|space|double space"));
    } else {
        m_fd->SetDropList(QString());
    }
}

void LabelDialog::showFormat(const QString& name)
{
    for (int i = 0; i < 3; ++i)
        m_images[i]->setVisible(LabelFormat::all()[i].name == name);
    // The size box has its effect on the labels, so it starts at the sheet's
    // own size.
    const LabelSheet* sheet = m_templates.named(name);
    if (const LabelFormat* f = LabelFormat::named(name))
        m_fontSize->setCurrentText(QString::number(f->points));
    else if (sheet)
        m_fontSize->setCurrentText(QString::number(LabelFormat::all().front().points));
    m_sheetImage->setVisible(sheet != nullptr);
    m_sheetInfo->setVisible(sheet != nullptr);
    if (sheet) {
        m_sheetImage->setPixmap(sheetPicture(sheet->paper, sheet->labels));
        m_sheetInfo->setText(QStringLiteral("%1\n%2 x %3 mm, %4 a sheet, %5")
                                 .arg(sheet->description)
                                 .arg(sheet->labelWidth * 25.4 / 1440, 0, 'f', 1)
                                 .arg(sheet->labelHeight * 25.4 / 1440, 0, 'f', 1)
                                 .arg(sheet->perSheet())
                                 .arg(sheet->paper.name.isEmpty() ? QStringLiteral("own paper")
                                                                  : sheet->paper.name));
    }
    showSample();
}

void LabelDialog::showSample()
{
    if (!m_sampleImage || m_records.RowCount() < 2)
        return;
    LabelOptions o = options();
    o.skipIncomplete = false;
    o.offsetRightMm = o.offsetDownMm = 0;
    LabelLayout layout(m_records.table(), pattern(), {1}, o);
    // The first label as it prints, at screen size: its edge, and its lines
    // cut where the label cuts them.
    const LabelRect r = layout.labelRect(0);
    constexpr double kPixelsPerTwip = 96.0 / 1440;
    QPixmap picture(int(r.w * kPixelsPerTwip) + 2, int(r.h * kPixelsPerTwip) + 2);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::gray);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(0.5, 0.5, picture.width() - 1, picture.height() - 1), 4, 4);
    p.translate(-r.x * kPixelsPerTwip + 1, -r.y * kPixelsPerTwip + 1);
    PageRenderer::render(p, layout.page(0));
    p.end();
    m_sampleImage->setPixmap(picture);
}

bool LabelDialog::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        m_selected->setText(selectedRowsCaption(m_records));
    return QDialog::event(event);
}

LabelPattern LabelDialog::pattern() const
{
    LabelPattern p;
    for (int i = 0; i < LabelPattern::kLines; ++i) {
        const int r = i + 1;
        p.lines[i].used = PrintedValue::readsTrue(m_fd->CellText(r, 1));
        for (int k = 0; k < 3; ++k)
            p.lines[i].columns[k] = m_fd->CellText(r, kColumnCells[k]);
        for (int k = 0; k < 2; ++k)
            p.lines[i].separators[k] = m_fd->CellText(r, kSeparatorCells[k]);
    }
    return p;
}

LabelOptions LabelDialog::options() const
{
    LabelOptions o;
    o.format = m_format->currentText();
    if (const LabelSheet* sheet = m_templates.named(o.format))
        o.sheet = *sheet;
    o.skipIncomplete = m_skip->isChecked();
    o.streetColumn = m_streetColumn;
    o.cityColumn = m_streetColumn < 0 ? -1 : m_streetColumn + 1;
    if (m_country->isChecked())
        o.country = m_countryText->text();
    bool ok = false;
    const double size = m_fontSize->currentText().trimmed().toDouble(&ok);
    o.fontPoints = ok && size >= 1 && size <= 72 ? size : 0;
    o.offsetRightMm = m_offsetRight->value();
    o.offsetDownMm = m_offsetDown->value();
    return o;
}

void LabelDialog::cmdReset_Click()
{
    m_fd->commitOpenEditor();
    QStringList titles;
    for (int c = 0; c < m_records.ColCount(); ++c)
        titles.append(m_records.CellText(0, c));
    const LabelPattern p = LabelPattern::standard(titles);
    for (int i = 1; i < LabelPattern::kLines; ++i) {
        const int r = i + 1;
        const LabelLine& line = p.lines[i];
        if (line.used)
            m_fd->SetCellText(r, 1, QStringLiteral("-1"));
        for (int k = 0; k < 3; ++k)
            m_fd->SetCellText(r, kColumnCells[k], line.columns[k]);
        for (int k = 0; k < 2; ++k)
            m_fd->SetCellText(r, kSeparatorCells[k], line.separators[k]);
    }
}

void LabelDialog::cmdSample_Click()
{
    m_fd->commitOpenEditor();
    LabelOptions o = options();
    o.skipIncomplete = false;
    const LabelLayout layout(m_records.table(), pattern(), {}, o);
    const QStringList lines = layout.lines(1);
    for (int i = 0; i < LabelPattern::kLines; ++i)
        m_sample[i]->setText(lines.value(i));
    showSample();
}

void LabelDialog::cmdPrint_Click()
{
    m_fd->commitOpenEditor();
    const LabelOptions o = options();
    if (m_offsets.write) {
        m_offsets.write(QString::fromLatin1(kOffsetRightKey), QString::number(o.offsetRightMm));
        m_offsets.write(QString::fromLatin1(kOffsetDownKey), QString::number(o.offsetDownMm));
    }
    const std::vector<int> rows =
        m_all->isChecked() ? allRecordRows(m_records) : selectedRecordRows(m_records);
    LabelLayout layout(m_records.table(), pattern(), rows, o);
    if (m_previewer)
        m_previewer(layout, this, QStringLiteral("Address Labels Printing"));
}

} // namespace corvanta
