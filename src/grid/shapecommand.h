#pragma once

#include <QString>
#include <QUndoCommand>

#include <functional>

namespace corvanta {

class TableModel;

// One change of the table as the user made it, held as the two steps that
// make it and take it back. The steps keep whatever they need (the rows a
// delete took out, the order a sort gave), never a copy of the table.
class ShapeCommand : public QUndoCommand
{
  public:
    using Step = std::function<void()>;

    ShapeCommand(TableModel* model, const QString& text, Step redo, Step undo);

    void undo() override;
    void redo() override;

  private:
    TableModel* m_model;
    Step m_redo;
    Step m_undo;
};

} // namespace corvanta
