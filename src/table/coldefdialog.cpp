#include "table/coldefdialog.h"

#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace corvanta {

namespace {

enum FdColumn : int {
    ColNumber = 0,
    ColTitle,
    ColType,
    ColFormat,
    ColAlign,
    ColHide,
    ColStreet,
    ColPhone,
    ColEmail,
    ColWeb,
    FdColumns
};

const struct
{
    const char* title;
    int width;
} kFdColumns[FdColumns] = {
    {"Col", 500},  {"Title", 1500}, {"Data Type", 1000}, {"Data Format", 2000}, {"Alignment", 1000},
    {"Hide", 600}, {"Street", 600}, {"Phone", 600},      {"Email", 600},        {"Web", 600}};

const QString kTypeList = QStringLiteral("Checkbox|Date|Money|Number|Text");
const QString kAlignList = QStringLiteral("Left|Center|Right");
constexpr int kMaxCount = 201;
constexpr quint32 kTitleBack = 0x008000;
constexpr quint32 kTitleFore = 0xFFFFFF;
constexpr quint32 kOddRows = 0xC0FFFF;

QString checkText(bool on)
{
    return on ? QStringLiteral("-1") : QStringLiteral("0");
}

int* roleOf(ColumnRoles& roles, int fdCol)
{
    switch (fdCol) {
    case ColStreet:
        return &roles.map;
    case ColPhone:
        return &roles.phone;
    case ColEmail:
        return &roles.mail;
    case ColWeb:
        return &roles.website;
    }
    return nullptr;
}

int px(int twips)
{
    return GridWidget::twipsToPixels(twips);
}

} // namespace

const QString ColDefDialog::kHelpText = QStringLiteral(
    "Use double-clicking on a cell to change the column title. Use drop-down list box to "
    "select the data type. Use drop-down list box to select data format (number, currency and "
    "date time) if applicable. Check the check box on the Hide column to hide that column.\n\n"
    "To use the Internet map function, select the matching Street column. Keep Street, City, "
    "State/Province and Zip code columns togather and in order. Select the corresponding "
    "Phone, Email and Web Site address column so that the program can pick up the correct "
    "information to dial phone, send email and access web site. ");

ColDefDialog::ColDefDialog(const GridWidget& fa, const ColumnRoles& roles, bool bOneCol,
                           Platform& platform, std::function<void(int)> showColCount,
                           QWidget* parent)
    : QDialog(parent), m_fa(fa), m_roles(roles), m_oneCol(bOneCol), m_platform(platform),
      m_showColCount(std::move(showColCount))
{
    setObjectName(QStringLiteral("frmColDef"));
    setWindowTitle(QStringLiteral("Column Define"));
    setModal(true);
    buildWidgets();
    if (m_oneCol)
        fillOne();
    else
        fillAll();
    placeWidgets();
}

QString ColDefDialog::typeName(int code)
{
    switch (code) {
    case TypeCheckbox:
        return QStringLiteral("Checkbox");
    case TypeDate:
        return QStringLiteral("Date");
    case TypeMoney:
        return QStringLiteral("Money");
    case TypeNumber:
        return QStringLiteral("Number");
    }
    return QStringLiteral("Text");
}

int ColDefDialog::typeCode(const QString& name)
{
    if (name == u"Checkbox")
        return TypeCheckbox;
    if (name == u"Date")
        return TypeDate;
    if (name == u"Money")
        return TypeMoney;
    if (name == u"Number")
        return TypeNumber;
    return TypeText;
}

QString ColDefDialog::alignName(int code)
{
    return code == AlignCenter  ? QStringLiteral("Center")
           : code == AlignRight ? QStringLiteral("Right")
                                : QStringLiteral("Left");
}

int ColDefDialog::alignCode(const QString& name)
{
    return name == u"Center" ? AlignCenter : name == u"Right" ? AlignRight : AlignLeft;
}

QString ColDefDialog::formatList(const QString& type)
{
    if (type == u"Number")
        return QStringLiteral("0|0.0|0.00|0.000|0.0000|%|#.00%|#,###|#,###.00");
    if (type == u"Money")
        return QStringLiteral("$#,###|$#,###.00");
    if (type == u"Date")
        return QStringLiteral("mm/dd/yy|mm/dd/yyyy|m/d/yy|m/d/yyyy|dd-Mmm-yyyy|Mmm-dd-yyyy|"
                              "mm/dd/yy hh:mm|mm/dd/yy hh:mm:ss|mm/dd/yy hh:mm AMPM|"
                              "mm/dd/yy hh:mm:ss AMPM");
    return {};
}

void ColDefDialog::buildWidgets()
{
    m_fd = new GridWidget(this);
    m_fd->setObjectName(QStringLiteral("fd"));
    m_fd->SetFixedRowCount(1);
    m_fd->SetColCount(FdColumns);
    m_fd->SetRowCount(2);
    for (int c = 0; c < FdColumns; ++c) {
        m_fd->SetCellText(0, c, QString::fromLatin1(kFdColumns[c].title));
        m_fd->SetColumnWidth(c, kFdColumns[c].width);
        if (c >= ColHide)
            m_fd->SetColumnType(c, TypeCheckbox);
    }
    m_fd->SetColumnAlign(ColNumber, AlignCenter);
    m_fd->SetColumnAlign(ColFormat, AlignRight);
    m_fd->SetColumnLocked(ColNumber, true);
    m_fd->SetCellProp(PropFontBold, 0, 0, true, 0, FdColumns - 1);
    m_fd->SetCellProp(PropForeColor, 0, 0, kTitleFore, 0, FdColumns - 1);
    m_fd->SetCellProp(PropBackColor, 0, 0, kTitleBack, 0, FdColumns - 1);
    m_fd->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: #008000; color: white; "
                       "font-weight: bold; }"));
    m_fd->SetAltRowBackColor(kOddRows);
    m_fd->verticalHeader()->hide();
    // Where the bold captions need more than the twips above (a larger
    // font, wider margins of the style), the column grows to show them
    // whole.
    m_fd->horizontalHeader()->ensurePolished();
    for (int c = 0; c < FdColumns; ++c) {
        const int caption = GridWidget::pixelsToTwips(m_fd->horizontalHeader()->sectionSizeHint(c));
        if (caption > kFdColumns[c].width)
            m_fd->SetColumnWidth(c, caption);
    }
    connect(m_fd, &GridWidget::cellEdited, this, &ColDefDialog::onEdited);
    connect(m_fd->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    setDropListFor(m_fd->gridModel()->toTableRow(current.row()), current.column());
            });

    const auto button = [this](const QString& name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    m_ok = button(QStringLiteral("cmdBtn_0"), QStringLiteral("&OK"));
    m_cancel = button(QStringLiteral("cmdBtn_1"), QStringLiteral("&Cancel"));
    m_allCols = button(QStringLiteral("cmdBtn_2"), QStringLiteral("&All Cols"));
    m_ok->setEnabled(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_allCols, &QPushButton::clicked, this, &ColDefDialog::allCols);

    const auto picture = [this](int index, const QString& text, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("cmdCol_%1").arg(index));
        b->setText(text);
        b->setToolTip(tip);
        return b;
    };
    m_add = picture(0, QStringLiteral("+"), QStringLiteral("Add Column"));
    m_insert = picture(1, QStringLiteral("\u2193+"), QStringLiteral("Insert Column"));
    m_delete = picture(2, QStringLiteral("\u2212"), QStringLiteral("Delete Column"));
    m_help = picture(3, QStringLiteral("?"), QString());
    connect(m_add, &QToolButton::clicked, this, &ColDefDialog::addDefinition);
    connect(m_insert, &QToolButton::clicked, this, &ColDefDialog::insertDefinition);
    connect(m_delete, &QToolButton::clicked, this, &ColDefDialog::deleteDefinition);
    connect(m_help, &QToolButton::clicked, this, &ColDefDialog::showHelp);

    m_countLabel = new QLabel(QStringLiteral("Columns:"), this);
    m_txtCol = new QLineEdit(this);
    m_txtCol->setObjectName(QStringLiteral("txtCol"));
    m_txtCol->setReadOnly(true);
    m_txtCol->setAlignment(Qt::AlignRight);
    m_upDown = new QWidget(this);
    m_upDown->setObjectName(QStringLiteral("UpDownCol"));
    auto* arrows = new QVBoxLayout(m_upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (const bool up : {true, false}) {
        auto* b = new QToolButton(m_upDown);
        b->setObjectName(up ? QStringLiteral("UpDownCol_Up") : QStringLiteral("UpDownCol_Down"));
        b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        arrows->addWidget(b);
        connect(b, &QToolButton::clicked, this,
                up ? &ColDefDialog::countUp : &ColDefDialog::countDown);
    }
    m_warning = new QLabel(QStringLiteral("Warning: Use Edit function in the main program to "
                                          "insert or delete column when data is not empty"),
                           this);
    m_warning->setObjectName(QStringLiteral("lblWarning"));
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_warning->hide();
}

void ColDefDialog::placeWidgets()
{
    // Positions in twips; the one-column layout keeps the table tools
    // below the visible area.
    const int gridHeight = m_oneCol ? 810 : 2700;
    const int buttonsTop = m_oneCol ? 1050 : 3000;
    const int helpTop = m_oneCol ? 1065 : 3015;
    const int height = m_oneCol ? 1900 : 3900;
    constexpr int toolsTop = 3000;
    // Wide enough for every column and the scroll bar beside them.
    int columns = 2 * m_fd->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int c = 0; c < FdColumns; ++c)
        columns += px(m_fd->ColumnWidth(c));
    const int width = std::max(9700, GridWidget::pixelsToTwips(columns) + 240);
    m_fd->setGeometry(px(120), px(120), px(width - 240), px(gridHeight));
    m_ok->setGeometry(px(120), px(buttonsTop), px(1100), px(375));
    m_cancel->setGeometry(px(1320), px(buttonsTop), px(1100), px(375));
    m_allCols->setGeometry(px(2520), px(buttonsTop), px(1100), px(375));
    m_allCols->setVisible(m_oneCol);
    m_add->setGeometry(px(3900), px(toolsTop), px(375), px(375));
    m_insert->setGeometry(px(4350), px(toolsTop), px(375), px(375));
    m_delete->setGeometry(px(4800), px(toolsTop), px(375), px(375));
    m_countLabel->setGeometry(px(5400), px(toolsTop), px(900), px(375));
    m_txtCol->setGeometry(px(6300), px(toolsTop), px(600), px(375));
    m_upDown->setGeometry(px(6900), px(toolsTop), px(255), px(375));
    m_help->setGeometry(px(width - 600), px(helpTop), px(375), px(345));
    m_warning->setGeometry(px(120), px(toolsTop + 420), px(width - 240), px(360));
    setFixedSize(px(width), px(height));
}

void ColDefDialog::setDefinition(int row, const Definition& d)
{
    m_fd->SetCellText(row, ColNumber, QString::number(row));
    m_fd->SetCellText(row, ColTitle, d.title);
    m_fd->SetCellText(row, ColType, typeName(d.type));
    m_fd->SetCellText(row, ColFormat, d.format);
    m_fd->SetCellText(row, ColAlign, alignName(d.align));
    m_fd->SetCellText(row, ColHide, checkText(d.hidden));
    for (int c = ColStreet; c <= ColWeb; ++c)
        m_fd->SetCellText(row, c, checkText(false));
}

void ColDefDialog::newDefinition(int row)
{
    setDefinition(row, Definition{});
}

void ColDefDialog::fillAll()
{
    m_filling = true;
    const int cols = m_fa.ColCount();
    m_fd->SetRowCount(cols + 1);
    for (int c = 0; c < cols; ++c) {
        const ColumnAttr& a = m_fa.table().column(c);
        setDefinition(c + 1, {m_fa.CellText(0, c), a.type, a.format, a.align, a.hidden});
    }
    for (int fdCol = ColStreet; fdCol <= ColWeb; ++fdCol) {
        const int role = *roleOf(m_roles, fdCol);
        if (role >= 0 && role < cols)
            m_fd->SetCellText(role + 1, fdCol, checkText(true));
    }
    m_txtCol->setText(QString::number(cols));
    m_filling = false;
}

void ColDefDialog::fillOne()
{
    m_filling = true;
    const int col = m_fa.CurCol();
    const ColumnAttr& a = m_fa.table().column(col);
    m_fd->SetRowCount(2);
    setDefinition(1, {m_fa.CellText(0, col), a.type, a.format, a.align, a.hidden});
    m_fd->SetCellText(1, ColNumber, QString::number(col + 1));
    for (int fdCol = ColStreet; fdCol <= ColWeb; ++fdCol)
        m_fd->SetCellText(1, fdCol, checkText(*roleOf(m_roles, fdCol) == col));
    m_txtCol->setText(QString::number(m_fa.ColCount()));
    m_filling = false;
}

void ColDefDialog::renumber()
{
    for (int r = 1; r < m_fd->RowCount(); ++r)
        m_fd->SetCellText(r, ColNumber, QString::number(r));
}

void ColDefDialog::setDropListFor(int row, int col)
{
    switch (col) {
    case ColType:
        m_fd->SetDropList(kTypeList);
        break;
    case ColFormat:
        m_fd->SetDropList(formatList(m_fd->CellText(row, ColType)));
        break;
    case ColAlign:
        m_fd->SetDropList(kAlignList);
        break;
    case ColTitle:
    case ColHide:
        m_fd->SetDropList(QString());
        break;
    default:
        break; // the role boxes are ticked, not edited
    }
}

void ColDefDialog::onEdited(int row, int col)
{
    if (m_filling)
        return;
    if (col == ColType && row >= 1) {
        const QString type = m_fd->CellText(row, ColType);
        if (type == u"Number" || type == u"Money") {
            m_fd->SetCellText(row, ColAlign, QStringLiteral("Right"));
        } else {
            m_fd->SetCellText(row, ColAlign,
                              type == u"Checkbox" ? QStringLiteral("Center")
                                                  : QStringLiteral("Left"));
            m_fd->SetCellText(row, ColFormat, QString());
        }
        // Once the type's editor has closed: moving now would pull the
        // cell from under the edit that is being written.
        QMetaObject::invokeMethod(
            this,
            [this, row] {
                m_fd->SelectRange(row, ColAlign);
                setDropListFor(row, ColAlign);
            },
            Qt::QueuedConnection);
    }
    enableOk();
}

void ColDefDialog::enableOk()
{
    m_ok->setEnabled(true);
}

void ColDefDialog::addDefinition()
{
    const int row = m_fd->RowCount();
    if (row - 1 >= kMaxCount)
        return;
    m_fd->SetRowCount(row + 1);
    newDefinition(row);
    m_fd->SelectRange(row, 0, row, FdColumns - 1);
    enableOk();
}

void ColDefDialog::insertDefinition()
{
    const int row = std::max(1, m_fd->CurRow());
    if (m_fd->RowCount() - 1 >= kMaxCount)
        return;
    m_fd->gridModel()->insertTableRows(row, 1);
    newDefinition(row);
    renumber();
    m_warning->show();
    enableOk();
}

void ColDefDialog::deleteDefinition()
{
    const int row = m_fd->CurRow();
    // A table keeps at least one column.
    if (row < 1 || m_fd->RowCount() <= 2)
        return;
    m_fd->RemoveRow(row);
    renumber();
    m_warning->show();
    enableOk();
}

void ColDefDialog::countUp()
{
    const int count = m_txtCol->text().toInt();
    if (count > kMaxCount - 1)
        return;
    const int now = count + 1;
    m_txtCol->setText(QString::number(now));
    if (m_showColCount)
        m_showColCount(now);
    const int oldRows = m_fd->RowCount();
    m_fd->SetRowCount(now + 1);
    for (int r = oldRows; r <= now; ++r)
        newDefinition(r);
    enableOk();
}

void ColDefDialog::countDown()
{
    const int count = m_txtCol->text().toInt();
    if (count < 2)
        return;
    const int now = count - 1;
    m_txtCol->setText(QString::number(now));
    if (m_showColCount)
        m_showColCount(now);
    m_fd->SetRowCount(now + 1);
    enableOk();
}

void ColDefDialog::allCols()
{
    m_oneCol = false;
    for (int c = ColStreet; c <= ColWeb; ++c)
        m_fd->SetCellText(1, c, checkText(false));
    fillAll();
    placeWidgets();
}

void ColDefDialog::showHelp()
{
    m_platform.messageBox(kHelpText, QStringLiteral("Column Attributes Define"),
                          MsgIcon::Exclamation, MsgButtons::Ok);
}

ColDefDialog::Result ColDefDialog::result() const
{
    Result out;
    out.oneCol = m_oneCol;
    out.roles = m_roles;
    for (int r = 1; r < m_fd->RowCount(); ++r)
        out.definitions.push_back(
            {m_fd->CellText(r, ColTitle), typeCode(m_fd->CellText(r, ColType)),
             m_fd->CellText(r, ColFormat), alignCode(m_fd->CellText(r, ColAlign)),
             m_fd->CellCheckAt(r, ColHide) == CheckChecked});
    for (int fdCol = ColStreet; fdCol <= ColWeb; ++fdCol) {
        int* role = roleOf(out.roles, fdCol);
        // The upper row wins; no tick keeps the role.
        for (int r = 1; r < m_fd->RowCount(); ++r) {
            if (m_fd->CellCheckAt(r, fdCol) == CheckChecked) {
                *role = m_oneCol ? m_fa.CurCol() : r - 1;
                break;
            }
        }
    }
    return out;
}

} // namespace corvanta
