#pragma once

#include <QObject>

namespace corvanta {

class GridWidget;

// The form panel: the current record of the table shown vertically in a
// second grid, one row a column, with the column's title on the left. Edits
// in either grid flow into the other.
class FormPanel : public QObject
{
    Q_OBJECT
  public:
    FormPanel(GridWidget* fa, GridWidget* fb, QObject* parent = nullptr);

    // The panel's first layout: two columns under "Column" and "Value".
    void setup();
    // Row count follows the table's column count; titles are read anew.
    void refillTitles();
    // Shows the table's current record (titles too, when they are stale).
    void refresh();
    void markTitlesStale() { m_titlesStale = true; }
    bool isPopulated() const { return m_populated; }

    // Hidden panels are not refreshed; showing one refreshes it at once.
    void setActive(bool on);
    bool isActive() const { return m_active; }

  signals:
    // The user changed a value in the panel (already copied into the table).
    void recordEdited();

  private:
    void onTableEdited(int row, int col);
    void onPanelEdited(int row, int col);

    GridWidget* m_fa;
    GridWidget* m_fb;
    bool m_populated = false;
    bool m_titlesStale = false;
    bool m_active = true;
    bool m_syncing = false;
};

} // namespace corvanta
