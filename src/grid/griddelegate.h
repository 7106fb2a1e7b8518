#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

namespace corvanta {

// The grids' in-place editor. With a drop list set, the cell being edited is
// edited through a drop-down list of those entries instead of a line edit.
// It reports every edit the user commits (and every check box the user
// toggles), which a model signal cannot tell apart from writes made by code.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
  public:
    explicit GridDelegate(QObject* parent = nullptr);

    QStringList dropList() const { return m_dropList; }
    void setDropList(const QStringList& entries) { m_dropList = entries; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* editor, QEvent* event) override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

  signals:
    void edited(const QModelIndex& index);

  private:
    QStringList m_dropList;
    bool m_askingEditor = false;
};

} // namespace corvanta
