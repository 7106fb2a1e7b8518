#include "grid/shapecommand.h"

#include "grid/tablemodel.h"

namespace corvanta {

ShapeCommand::ShapeCommand(TableModel* model, const QString& text, Step redo, Step undo)
    : QUndoCommand(text), m_model(model), m_redo(std::move(redo)), m_undo(std::move(undo))
{
}

void ShapeCommand::undo()
{
    m_model->replay(m_undo);
}

void ShapeCommand::redo()
{
    m_model->replay(m_redo);
}

} // namespace corvanta
