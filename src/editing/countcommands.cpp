#include "editing/countcommands.h"

#include "commands/commandset.h"
#include "editing/countcontrol.h"
#include "editing/formpanel.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/edithistory.h"
#include "table/tablecommands.h"

#include <algorithm>

namespace corvanta {

namespace {

// A box's count, or nothing for an empty box or one too large to be a
// count at all.
std::optional<int> boxValue(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok && v >= 0 ? std::optional<int>(v) : std::nullopt;
}

} // namespace

CountCommands::CountCommands(const EditTargets& targets, QObject* parent)
    : QObject(parent), m(targets)
{
    CountControl* cc = m.counts;
    connect(cc, &CountControl::rowStepped, this, &CountCommands::recordStep);
    connect(cc, &CountControl::colStepped, this, &CountCommands::columnStep);
    connect(cc, &CountControl::rowEntered, this, &CountCommands::applyRecordBox);
    connect(cc, &CountControl::colEntered, this, &CountCommands::applyColumnBox);
    connect(cc, &CountControl::keyRefused, this, [this] { m.platform->beep(); });

    TableModel* model = m.fa->gridModel();
    for (auto sig : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                     &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model, sig, this, &CountCommands::shapeChanged);
    connect(model, &QAbstractItemModel::columnsMoved, this, &CountCommands::shapeChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &CountCommands::shapeChanged);
}

void CountCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuAddRow"), this, [this] { recordStep(1); });
    c.attach(QStringLiteral("mnuRowHeightInc"), this, [this] { rowHeightStep(kHeightStep); });
    c.attach(QStringLiteral("mnuRowHeightDec"), this, [this] { rowHeightStep(-kHeightStep); });
    c.attach(QStringLiteral("mnuRowHeightReset"), this, &CountCommands::resetRowHeights);
}

void CountCommands::shapeChanged()
{
    m.counts->showCounts(m.fa->RowCount() - 1, m.fa->ColCount());
    m.table->fa_Click();
}

void CountCommands::recordStep(int delta)
{
    CountControl* cc = m.counts;
    const QString text = cc->rowText();
    // A box that holds no count steps from the table's own.
    const int value = text.isEmpty() ? 0 : boxValue(text).value_or(m.fa->RowCount() - 1);
    if (delta > 0 && value < m_maxRecords)
        cc->setRowText(QString::number(value + 1));
    else if (delta < 0 && value >= 1)
        cc->setRowText(QString::number(value - 1));
    else
        cc->setRowText(text.isEmpty() ? QString() : QString::number(value));
    const QString now = cc->rowText();
    if (now.isEmpty())
        cc->setRowText(QStringLiteral("0"));
    // A step at the limit changes nothing, and yet counts as a change.
    if (!setRecordCount(now.isEmpty() ? 0 : now.toInt()))
        m.history->markModified();
}

void CountCommands::columnStep(int delta)
{
    CountControl* cc = m.counts;
    const int value = boxValue(cc->colText()).value_or(m.fa->ColCount());
    int next = value;
    if (delta > 0 && value <= kMaxColumns - 1)
        next = value + 1;
    else if (delta < 0 && value >= 2)
        next = value - 1;
    next = std::clamp(next, 1, kMaxColumns);
    cc->setColText(QString::number(next));
    if (!setColumnCount(next))
        m.history->markModified();
}

void CountCommands::applyRecordBox()
{
    const std::optional<int> v = boxValue(m.counts->rowText());
    if (!v) {
        // Not a count: the box shows the table's again.
        m.platform->beep();
        m.counts->showCounts(m.fa->RowCount() - 1, m.fa->ColCount());
        return;
    }
    const int records = std::min(*v, m_maxRecords);
    m.counts->setRowText(QString::number(records));
    if (!setRecordCount(records))
        m.history->markModified();
}

void CountCommands::applyColumnBox()
{
    const std::optional<int> v = boxValue(m.counts->colText());
    if (!v) {
        m.platform->beep();
        m.counts->showCounts(m.fa->RowCount() - 1, m.fa->ColCount());
        return;
    }
    const int columns = std::clamp(*v, 1, kMaxColumns);
    m.counts->setColText(QString::number(columns));
    if (!setColumnCount(columns))
        m.history->markModified();
}

bool CountCommands::setRecordCount(int records)
{
    const int oldRows = m.fa->RowCount();
    const int rows = records + 1;
    if (rows == oldRows)
        return false;
    if (rows > oldRows)
        m.history->insertRows(oldRows, rows - oldRows, QStringLiteral("Add Records"));
    else
        m.history->removeRows(rows, oldRows - rows, QStringLiteral("Remove Records"));
    return true;
}

bool CountCommands::setColumnCount(int columns)
{
    const int oldCols = m.fa->ColCount();
    if (columns == oldCols)
        return false;
    if (columns > oldCols)
        m.history->insertColumns(oldCols, columns - oldCols, QStringLiteral("Add Columns"));
    else
        m.history->removeColumns(columns, oldCols - columns, QStringLiteral("Remove Columns"));
    return true;
}

GridWidget* CountCommands::activeGrid() const
{
    return m.panel->activeGrid() == 1 ? m.fa : m.fb;
}

void CountCommands::rowHeightStep(int delta)
{
    stepRowHeights(activeGrid(), delta);
}

int CountCommands::textHeight(const GridWidget* g)
{
    return GridWidget::pixelsToTwips(g->fontMetrics().height());
}

void CountCommands::stepRowHeights(GridWidget* g, int delta)
{
    if (delta < 0 && g->RowHeightOf(g->CurRow()) <= kHeightStep)
        return;
    const int floor = textHeight(g);
    const int n = g->PickedRowCount();
    for (int i = 0; i < n; ++i) {
        const int row = g->PickedRow(i);
        const int was = g->RowHeightOf(row);
        // A row already lower than its text (from a file) is not grown by
        // a decrease.
        const int h = std::max(was + delta, std::min(was, floor));
        if (h > 0 && h != was)
            g->SetRowHeightOf(row, h);
    }
}

void CountCommands::resetRowHeights()
{
    GridWidget* g = activeGrid();
    g->SetRowHeights(1, g->RowCount() - 1, std::max(kHeightStep, textHeight(g)));
}

} // namespace corvanta
