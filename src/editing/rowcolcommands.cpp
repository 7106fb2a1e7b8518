#include "editing/rowcolcommands.h"

#include "commands/commandset.h"
#include "editing/formpanel.h"
#include "editing/systemclipboard.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "table/edithistory.h"
#include "table/tablecommands.h"
#include "table/valueformat.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <memory>
#include <vector>

namespace corvanta {

namespace {

// The moment as a column with this format shows it, whatever the column's
// type: a number pattern gets the moment as days since 1899-12-30 with the
// time as the fraction, any other pattern reads it as a date. A column
// without a format shows the general date and time.
QString stampOf(const QDateTime& now, const QString& format)
{
    if (format.trimmed().isEmpty())
        return QLocale().toString(now, QLocale::ShortFormat);
    static const QDate epoch(1899, 12, 30);
    const double serial =
        double(epoch.daysTo(now.date())) + now.time().msecsSinceStartOfDay() / 86400000.0;
    static const QRegularExpression datePart(QStringLiteral("[dmyhsDMYHS]|AMPM"));
    if (!format.contains(datePart) && (format.contains(u'0') || format.contains(u'#')))
        return ValueFormat::formatNumber(format, QString::number(serial, 'f', 8));
    return ValueFormat::formatSerial(format, serial);
}

} // namespace

RowColCommands::RowColCommands(const EditTargets& targets, QObject* parent)
    : QObject(parent), m(targets)
{
}

void RowColCommands::install(CommandSet& c)
{
    c.attach(QStringLiteral("mnuInsertRow"), this, &RowColCommands::insertRow);
    c.attach(QStringLiteral("mnuInsertCol"), this, &RowColCommands::insertColumn);
    c.attach(QStringLiteral("mnuDeleteRow"), this, &RowColCommands::deleteRows);
    c.attach(QStringLiteral("mnuDeleteCol"), this, &RowColCommands::deleteColumn);
    c.attach(QStringLiteral("mnuMoveUp"), this, [this] { moveRows(-1); });
    c.attach(QStringLiteral("mnuMoveDown"), this, [this] { moveRows(1); });
    c.attach(QStringLiteral("mnuSelectAll"), this, &RowColCommands::selectAll);
    c.attach(QStringLiteral("mnuDateTimeNow"), this,
             [this] { stamp(QDateTime::currentDateTime()); });
}

bool RowColCommands::rowMode() const
{
    return m.table->isRowMode();
}

void RowColCommands::selectRecord(int row)
{
    if (m.fa->RowCount() < 2)
        return;
    row = std::clamp(row, 1, m.fa->RowCount() - 1);
    if (rowMode())
        m.fa->SelectRange(row, 0, row, m.fa->ColCount() - 1);
    else
        m.fa->SelectRange(row, m.fa->CurCol());
}

void RowColCommands::finish()
{
    // The change itself left the document modified (through the model).
    m.table->fa_Click();
}

void RowColCommands::insertRow()
{
    const int at = std::clamp(m.fa->CurRow(), 1, m.fa->RowCount());
    m.history->insertRows(at, 1, QStringLiteral("Insert Row"));
    selectRecord(at);
    finish();
}

void RowColCommands::insertColumn()
{
    const int at = std::clamp(m.fa->CurCol(), 0, m.fa->ColCount());
    const int row = m.fa->CurRow();
    m.history->insertColumns(at, 1, QStringLiteral("Insert Column"));
    m.fa->SelectRange(row, at);
    if (rowMode())
        selectRecord(row);
    finish();
}

void RowColCommands::deleteColumn()
{
    // A table keeps one column at least: with none, no record could show.
    if (m.fa->ColCount() <= 1)
        return;
    const int at = m.fa->CurCol();
    const int row = m.fa->CurRow();
    m.history->removeColumns(at, 1, QStringLiteral("Delete Column"));
    m.fa->SelectRange(row, std::min(at, m.fa->ColCount() - 1));
    if (rowMode())
        selectRecord(row);
    finish();
}

void RowColCommands::deleteRows()
{
    std::vector<int> rows;
    if (const int n = m.fa->PickedRowCount(); n > 0) {
        rows.reserve(size_t(n));
        for (int i = 0; i < n; ++i)
            if (const int r = m.fa->PickedRow(i); r >= 1)
                rows.push_back(r);
    } else if (m.fa->CurRow() >= 1) {
        rows.push_back(m.fa->CurRow());
    }
    removeRecords(std::move(rows));
}

void RowColCommands::removeRecords(std::vector<int> rows)
{
    if (rows.empty() || m.fa->RowCount() < 2)
        return;
    const int first = rows.front();
    m.history->removeRows(std::move(rows), QStringLiteral("Delete Rows"));
    selectRecord(first);
    finish();
}

void RowColCommands::moveRows(int direction)
{
    const int cur = m.fa->CurRow();
    const int end = m.fa->SelEndRow();
    // A block picked upwards moves like the same block picked downwards.
    const int top = std::min(cur, end);
    const int bottom = std::max(cur, end);
    // The records in sight move among the positions in sight: the block's
    // shown records and the nearest shown record beyond its end trade
    // places, that record going to the block's other end. Records a filter
    // hides keep their rows. Without a filter these are the block and the
    // row next to it.
    std::vector<int> places = top >= 1 ? m.fa->ShownRows(top, bottom) : std::vector<int>();
    int passed = -1; // the record the block passes over
    for (int r = direction < 0 ? top - 1 : bottom + 1;
         !places.empty() && r >= 1 && r < m.fa->RowCount() && passed < 0; r += direction)
        if (m.fa->RowShown(r))
            passed = r;
    if (passed < 0) {
        // At the first or last record nothing moves, and yet it counts as
        // a change.
        m.history->markModified();
        return;
    }
    const int lastCol = m.fa->ColCount() - 1;
    // The block passes through the clipboard, as it always has: what was
    // there before is gone, and the block's text is there after.
    m.fa->SelectRange(top, 0, bottom, lastCol);
    m.clipboard->clear();
    m.clipboard->put(m.fa->ClipText());
    const QString change = direction < 0 ? QStringLiteral("Move Up") : QStringLiteral("Move Down");
    if (direction < 0)
        places.insert(places.begin(), passed);
    else
        places.push_back(passed);
    if (places.back() - places.front() + 1 == int(places.size())) {
        // Nothing hidden among them: the row passed over goes to the
        // block's other end, the rows between shifting.
        m.history->moveRowCells(passed, direction < 0 ? places.back() : places.front(), change);
    } else {
        m.history->rotateRowCells(places, direction > 0, change);
    }
    // The moved records stay picked, so that the command can be repeated.
    const int newTop = direction < 0 ? places.front() : places[1];
    const int newBottom = direction < 0 ? places[places.size() - 2] : places.back();
    m.fa->SelectRange(newTop, 0, newBottom, lastCol);
}

void RowColCommands::selectAll()
{
    m.fa->SelectRange(1, 0, m.fa->RowCount() - 1, m.fa->ColCount() - 1);
    m.panel->makeActive(1);
}

void RowColCommands::stamp(const QDateTime& now)
{
    int row = m.fa->CurRow();
    int col = m.fa->CurCol();
    if (m.panel->activeGrid() != 1) {
        const int p = m.fb->CurRow();
        if (p < 1)
            return;
        col = p - 1;
    }
    if (row < 1 || col < 0 || col >= m.fa->ColCount())
        return;
    const QString text =
        m.fa->CellText(row, col) + QLatin1Char(' ') + stampOf(now, m.fa->ColumnFormat(col));
    m.history->setText(row, col, text);
}

} // namespace corvanta
