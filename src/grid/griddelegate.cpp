#include "grid/griddelegate.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>

namespace corvanta {

namespace {

// The drop-down editor, knowing whether its choice came from the opened
// list.
class DropListEditor : public QComboBox
{
  public:
    using QComboBox::QComboBox;
    bool pickedFromList() const { return m_listOpen; }
    void showPopup() override
    {
        m_listOpen = true;
        QComboBox::showPopup();
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        // A pick is announced right after the list closes.
        QMetaObject::invokeMethod(
            this, [this] { m_listOpen = false; }, Qt::QueuedConnection);
    }

  private:
    bool m_listOpen = false;
};

} // namespace

GridDelegate::GridDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    if (m_dropList.isEmpty())
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new DropListEditor(parent);
    combo->setObjectName(QStringLiteral("gridDropList"));
    combo->addItems(m_dropList);
    combo->setFrame(false);
    // A pick from the opened list is the end of the edit, as Enter is; the
    // arrow keys and the wheel on the closed box only change the choice.
    connect(combo, &QComboBox::activated, this, [this, combo] {
        if (!combo->pickedFromList())
            return;
        auto* self = const_cast<GridDelegate*>(this);
        emit self->commitData(combo);
        emit self->closeEditor(combo, NoHint);
    });
    return combo;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    // A text that is not among the entries shows as no choice; committing
    // without a choice then keeps the cell as it was.
    combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString()));
}

void GridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        if (combo->currentIndex() < 0)
            return;
        model->setData(index, combo->currentText(), Qt::EditRole);
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
    }
    emit const_cast<GridDelegate*>(this)->edited(index);
}

bool GridDelegate::eventFilter(QObject* editor, QEvent* event)
{
    // A command key pressed while a cell is being edited (Ctrl+S, F2...)
    // takes the edit first: the command must see the cell as the user sees
    // it, and Save must already know the document changed. Keys the editor
    // wants for itself (Ctrl+C, Ctrl+A...) stay with it.
    if (event->type() == QEvent::ShortcutOverride && !m_askingEditor) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool commandKey =
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) ||
            (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F35);
        auto* widget = qobject_cast<QWidget*>(editor);
        if (commandKey && widget) {
            QKeyEvent probe(QEvent::ShortcutOverride, key->key(), key->modifiers(), key->text(),
                            key->isAutoRepeat(), ushort(key->count()));
            probe.ignore();
            {
                QScopedValueRollback asking(m_askingEditor, true);
                QCoreApplication::sendEvent(widget, &probe);
            }
            if (!probe.isAccepted()) {
                emit commitData(widget);
                emit closeEditor(widget, NoHint);
                return false;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(editor, event);
}

bool GridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                               const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QVariant before = index.data(Qt::CheckStateRole);
    const bool handled = QStyledItemDelegate::editorEvent(event, model, option, index);
    if (handled && before.isValid() && index.data(Qt::CheckStateRole) != before)
        emit edited(index);
    return handled;
}

} // namespace corvanta
