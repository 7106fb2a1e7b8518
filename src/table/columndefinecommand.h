#pragma once

#include "grid/table.h"
#include "table/columnroles.h"

#include <QPointer>
#include <QUndoCommand>

#include <functional>
#include <vector>

namespace corvanta {

class TableModel;

// Accepting Column Define, as one undoable change: the column count, the
// titles and attributes of the defined columns (by position: no cell moves)
// and the roles. Columns it cuts are kept, cells and formats, to come back
// on undo.
class ColumnDefineCommand : public QUndoCommand
{
  public:
    struct Column
    {
        QString title;
        int type = TypeText;
        QString format;
        int align = AlignLeft;
        bool hidden = false;
    };
    struct Roles
    {
        ColumnRoles before;
        ColumnRoles after;
        std::function<void(const ColumnRoles&)> apply;
    };

    // `columns` describe the columns from `first` on; `count` is the column
    // count afterwards. `changed` runs after every do and undo.
    ColumnDefineCommand(TableModel* model, int count, int first, std::vector<Column> columns,
                        Roles roles, std::function<void()> changed);

    void redo() override;
    void undo() override;

  private:
    QPointer<TableModel> m_model;
    int m_oldCount;
    int m_count;
    int m_first;
    std::vector<Column> m_columns;
    std::vector<QString> m_oldTitles;
    std::vector<ColumnAttr> m_oldAttrs;
    Table m_cut; // the cells of the columns the change cuts
    Roles m_roles;
    std::function<void()> m_changed;
};

} // namespace corvanta
