#pragma once

#include "grid/table.h"

#include <QList>
#include <QString>
#include <QUndoCommand>

#include <utility>

namespace corvanta {

class TableModel;

// Records appended below the table, the table widened to hold them and its
// empty titles filled. The records' rows move between the table and this
// command as whole blocks, so undoing and redoing an append of 200,000
// records copies nothing.
class AppendRowsCommand : public QUndoCommand
{
  public:
    // `records` holds the new rows only (no title row). Titles are
    // (column, title) for columns whose title is empty now.
    AppendRowsCommand(TableModel* model, Table&& records, int cols,
                      QList<std::pair<int, QString>> titles, const QString& text);

    void undo() override;
    void redo() override;

  private:
    TableModel* m_model;
    Table m_records; // the appended rows while they are not in the table
    int m_first;     // table row of the first appended record
    int m_oldCols;
    int m_cols;
    QList<std::pair<int, QString>> m_titles;
};

} // namespace corvanta
