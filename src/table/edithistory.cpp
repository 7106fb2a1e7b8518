#include "table/edithistory.h"

#include "commands/commandset.h"
#include "grid/tablemodel.h"

#include <QUndoStack>

namespace corvanta {

namespace {
const QString kUndo = QStringLiteral("mnuUndo");
const QString kRedo = QStringLiteral("mnuRedo");
} // namespace

EditHistory::EditHistory(TableModel* model, QObject* parent)
    : QObject(parent), m_stack(new QUndoStack(this))
{
    model->setUndoStack(m_stack);
    // Only an undo or redo leads back: a history emptied because another
    // document came or the table shifted under it says nothing of the file.
    connect(m_stack, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (clean && m_stack->count() > 0)
            emit backToSaved();
    });
    connect(m_stack, &QUndoStack::indexChanged, this, &EditHistory::updateEntries);
    connect(m_stack, &QUndoStack::indexChanged, this, &EditHistory::replayed);
}

void EditHistory::install(CommandSet& c)
{
    m_commands = &c;
    c.attach(kUndo, m_stack, &QUndoStack::undo);
    c.attach(kRedo, m_stack, &QUndoStack::redo);
    updateEntries();
}

void EditHistory::markSaved()
{
    m_stack->setClean();
}

void EditHistory::clear()
{
    m_stack->clear();
    // The document that came is as it was saved (or new): undoing back to
    // here leaves it unmodified. Clearing an empty stack would keep a clean
    // state lost to a change before.
    m_stack->setClean();
    updateEntries();
}

void EditHistory::updateEntries()
{
    if (!m_commands)
        return;
    const struct
    {
        const QString& name;
        const char* caption;
        bool can;
        QString change;
    } entries[] = {{kUndo, "&Undo", m_stack->canUndo(), m_stack->undoText()},
                   {kRedo, "&Redo", m_stack->canRedo(), m_stack->redoText()}};
    for (const auto& e : entries) {
        QAction* a = m_commands->action(e.name);
        if (!a)
            continue;
        QString text = QString::fromLatin1(e.caption);
        if (e.can && !e.change.isEmpty())
            text += QLatin1Char(' ') + e.change;
        a->setText(text);
        (void)m_commands->setImplemented(e.name, e.can);
    }
}

} // namespace corvanta
