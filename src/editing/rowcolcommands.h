#pragma once

#include "editing/edittargets.h"

#include <QDateTime>
#include <QObject>

#include <vector>

namespace corvanta {

class CommandSet;

// The Edit menu's commands that change the table's shape or order: Insert
// Row and Column, Delete Rows and Column, Move Up and Down, Select All, and
// the date-time stamp of the Tools menu. Each change is one undoable step
// that keeps only what it moved or took out.
class RowColCommands : public QObject
{
    Q_OBJECT
  public:
    RowColCommands(const EditTargets& targets, QObject* parent = nullptr);

    void install(CommandSet& commands);
    void setClipboard(SystemClipboard* clipboard) { m.clipboard = clipboard; }

    void insertRow();
    void insertColumn();
    void deleteRows();
    // Removes these records (ascending table rows) as one undoable step and
    // puts the cursor where the first of them was.
    void removeRecords(std::vector<int> rows);
    void deleteColumn();
    void moveRows(int direction); // -1 up, +1 down
    void selectAll();
    void stamp(const QDateTime& now);

  private:
    bool rowMode() const;
    void selectRecord(int row);
    void finish(); // fa_Click, then the document is modified

    EditTargets m;
};

} // namespace corvanta
