#pragma once

#include <QObject>

class QUndoStack;

namespace corvanta {

class CommandSet;
class TableModel;

// The document's history of changes and Edit > Undo and Redo over it. The
// entries name the change they would take back or make again, and are
// greyed out when there is none.
class EditHistory : public QObject
{
    Q_OBJECT
  public:
    // Records the changes the user makes to `model` from now on.
    explicit EditHistory(TableModel* model, QObject* parent = nullptr);

    QUndoStack* stack() const { return m_stack; }

    void install(CommandSet& commands);

    // The document was saved: undoing back to here makes it unmodified.
    void markSaved();
    // Another document took the table's place; its changes start afresh.
    void clear();

  signals:
    // Every change since the last save has been undone (or redone).
    void backToSaved();
    // An undo or redo changed the table.
    void replayed();

  private:
    void updateEntries();

    QUndoStack* m_stack;
    CommandSet* m_commands = nullptr;
};

} // namespace corvanta
