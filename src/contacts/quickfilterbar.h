#pragma once

#include "contacts/quickfilter.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace corvanta {

class CommandSet;
class GridWidget;

// The filter box above the records grid: typing shows only the records that
// hold the text, case- and accent-blind, in any shown column or in the one
// picked beside the box. Rows it hides stay in the document; it only tells
// the grid which to show (GridWidget::ShowOnlyRows), so it never changes
// the document or its modified flag. A record typed into or added while a
// filter is on stays in sight until the filter text changes.
class QuickFilterBar : public QWidget
{
    Q_OBJECT
  public:
    explicit QuickFilterBar(GridWidget* fa, QWidget* parent = nullptr);

    // Edit > Filter Records (Ctrl+Shift+F) puts the cursor in the box.
    void install(CommandSet& commands);

    bool isActive() const { return m_filter.isActive(); }
    // "12 / 25 shown" while a filter is on, empty otherwise.
    QString shownText() const;
    // Shows every record again and empties the box.
    void clear();

  signals:
    // The filter or the number of records it shows changed.
    void shownChanged(const QString& text);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refilter();
    void ensureIndex();
    // The table changed in a way the index cannot follow row by row.
    void rebuild();
    void refillColumns();
    void keepCurrentShown();

    GridWidget* m_fa;
    QLineEdit* m_box;
    QComboBox* m_column;
    QuickFilter m_filter;
};

} // namespace corvanta
