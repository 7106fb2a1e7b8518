#include "printing/printsheetdialog.h"

#include "grid/gridwidget.h"
#include "printing/choicegrid.h"
#include "printing/printedvalue.h"
#include "printing/recordrows.h"
#include "printing/sheetlayout.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvanta {

namespace {

QRadioButton* option(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

PrintSheetDialog::PrintSheetDialog(GridWidget& records, Previewer previewer, QWidget* parent)
    : QDialog(parent), m_records(records), m_previewer(std::move(previewer))
{
    setObjectName(QStringLiteral("frmPrintSheet"));
    setWindowTitle(QStringLiteral("Print Sheet "));

    m_fd = new GridWidget(this);
    m_fd->setObjectName(QStringLiteral("fd"));
    fillColumns();

    auto* orientation = new QGroupBox(QStringLiteral("Orintation"), this);
    auto* portrait = option(QStringLiteral("OpOrin_0"), QStringLiteral("Portrait"), orientation);
    m_landscape = option(QStringLiteral("OpOrin_1"), QStringLiteral("Landscape"), orientation);
    portrait->setChecked(true);
    auto* orientationLayout = new QVBoxLayout(orientation);
    orientationLayout->addWidget(portrait);
    orientationLayout->addWidget(m_landscape);

    auto* scaleBox = new QGroupBox(QStringLiteral("Print Scale"), this);
    m_scale = new QLineEdit(QString::number(SheetLayout::kDefaultScale), scaleBox);
    m_scale->setObjectName(QStringLiteral("txtScale"));
    m_scale->setMaximumWidth(60);
    auto* up = new QToolButton(scaleBox);
    up->setObjectName(QStringLiteral("UpDownCol_Up"));
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(scaleBox);
    down->setObjectName(QStringLiteral("UpDownCol_Down"));
    down->setArrowType(Qt::DownArrow);
    connect(up, &QToolButton::clicked, this, [this] { stepScale(1); });
    connect(down, &QToolButton::clicked, this, [this] { stepScale(-1); });
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    arrows->addWidget(up);
    arrows->addWidget(down);
    auto* scaleLayout = new QHBoxLayout(scaleBox);
    scaleLayout->addWidget(m_scale);
    scaleLayout->addLayout(arrows);
    scaleLayout->addWidget(new QLabel(QStringLiteral("Max 100 Min   50"), scaleBox));

    auto* area = new QGroupBox(QStringLiteral("Print Area"), this);
    m_all = option(QStringLiteral("OpDataSource_0"), QStringLiteral("All"), area);
    m_selected =
        option(QStringLiteral("OpDataSource_1"), QStringLiteral("Selected rows only"), area);
    m_all->setChecked(true);
    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->addWidget(m_all);
    areaLayout->addWidget(m_selected);

    auto* print = new QPushButton(QStringLiteral("&Print && Preview"), this);
    print->setObjectName(QStringLiteral("cmdPrint"));
    print->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(print, &QPushButton::clicked, this, &PrintSheetDialog::cmdPrint_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* hint = new QLabel(
        QStringLiteral("<b>Hint:</b> On the main program, adjust each column's width. From the "
                       "table above, unselect the column you don't want to print. Select a few "
                       "rows to test before printing a large amount of data."),
        this);
    hint->setObjectName(QStringLiteral("lbHint"));
    hint->setWordWrap(true);

    auto* side = new QVBoxLayout;
    side->addWidget(orientation);
    side->addWidget(scaleBox);
    side->addWidget(area);
    side->addStretch();
    side->addWidget(print);
    side->addWidget(cancel);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select columns to print"), this), 0, 0);
    layout->addWidget(m_fd, 1, 0);
    layout->addLayout(side, 0, 1, 2, 1);
    layout->addWidget(hint, 2, 0, 1, 2);
    m_fd->setMinimumSize(GridWidget::twipsToPixels(500 + 1500 + 700) + 30, 220);
    m_selected->setText(selectedRowsCaption(m_records));
}

void PrintSheetDialog::fillColumns()
{
    const int cols = m_records.ColCount();
    setUpChoiceGrid(*m_fd, cols + 1,
                    {QStringLiteral("Col"), QStringLiteral("Title"), QStringLiteral("Print")},
                    {500, 1500, 700});
    m_fd->SetColumnType(2, TypeCheckbox);
    m_fd->SetColumnLocked(0, true);
    m_fd->SetColumnLocked(1, true);
    for (int c = 0; c < cols; ++c) {
        m_fd->SetCellText(c + 1, 0, QString::number(c + 1));
        m_fd->SetCellText(c + 1, 1, m_records.CellText(0, c));
        m_fd->SetCellText(c + 1, 2,
                          m_records.ColumnHidden(c) ? QStringLiteral("0") : QStringLiteral("-1"));
    }
}

bool PrintSheetDialog::event(QEvent* event)
{
    // The caption follows the selection each time the dialog comes up.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        m_selected->setText(selectedRowsCaption(m_records));
    return QDialog::event(event);
}

void PrintSheetDialog::stepScale(int delta)
{
    bool ok = false;
    int value = m_scale->text().trimmed().toInt(&ok);
    if (!ok)
        value = SheetLayout::scaleFromText(m_scale->text());
    if (delta < 0 && value >= SheetLayout::kMinScale + 1)
        --value;
    else if (delta > 0 && value <= SheetLayout::kMaxScale - 1)
        ++value;
    m_scale->setText(QString::number(value));
}

void PrintSheetDialog::cmdPrint_Click()
{
    m_fd->commitOpenEditor();
    SheetOptions options;
    for (int c = 0; c < m_records.ColCount(); ++c)
        options.printed.push_back(PrintedValue::readsTrue(m_fd->CellText(c + 1, 2)));
    options.landscape = m_landscape->isChecked();
    // A typed scale is brought into range, and the box shows what printed.
    options.scale = SheetLayout::scaleFromText(m_scale->text());
    m_scale->setText(QString::number(options.scale));
    options.rows = m_all->isChecked() ? allRecordRows(m_records) : selectedRecordRows(m_records);
    SheetLayout layout(m_records.table(), std::move(options));
    if (m_previewer)
        m_previewer(layout, this, QStringLiteral("Print Sheet"));
}

} // namespace corvanta
