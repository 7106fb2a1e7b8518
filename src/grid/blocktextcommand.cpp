#include "grid/blocktextcommand.h"

#include "grid/tablemodel.h"

namespace corvanta {

BlockTextCommand::BlockTextCommand(TableModel* model, const QString& text, QList<Range> ranges)
    : QUndoCommand(text), m_model(model), m_ranges(std::move(ranges)), m_before(take())
{
}

void BlockTextCommand::changeDone()
{
    m_after = take();
    m_done = true;
}

void BlockTextCommand::undo()
{
    write(m_before);
}

void BlockTextCommand::redo()
{
    if (m_done) {
        m_done = false;
        return;
    }
    write(m_after);
}

QList<QStringList> BlockTextCommand::take() const
{
    const Table& t = m_model->table();
    QList<QStringList> texts;
    texts.reserve(m_ranges.size());
    for (const Range& r : m_ranges) {
        QStringList cells;
        cells.reserve(qsizetype(r.row2 - r.row1 + 1) * (r.col2 - r.col1 + 1));
        for (int row = r.row1; row <= r.row2; ++row)
            for (int col = r.col1; col <= r.col2; ++col)
                cells.append(t.text(row, col));
        texts.append(std::move(cells));
    }
    return texts;
}

void BlockTextCommand::write(const QList<QStringList>& texts)
{
    // Overlapping ranges hold the same text for the cells they share, so
    // the order they are written in does not matter.
    for (qsizetype i = 0; i < m_ranges.size(); ++i) {
        const Range& r = m_ranges[i];
        m_model->replayBlock(r.row1, r.col1, r.row2, r.col2, texts[i]);
    }
}

} // namespace corvanta
