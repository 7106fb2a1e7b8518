#pragma once

#include <QObject>

#include <functional>

class QAction;
class QPoint;
class QTabWidget;
class QWidget;

namespace corvanta {

class CommandSet;
class DropBox;
class GridWidget;
class PanelRecord;

// The form panel: the current record of the table shown vertically in a
// second grid, one row a column, with the column's title on the left
// (PanelRecord keeps it so). The panel builds its side of the window around
// `fb`: the tab strip with the close button, and the drop box; and it keeps
// the Edit menu fitting the grid that has the focus.
class FormPanel : public QObject
{
    Q_OBJECT
  public:
    FormPanel(GridWidget* fa, GridWidget* fb, QObject* parent = nullptr);
    ~FormPanel() override;

    // The side of the window the panel fills ("panelSide"); whoever lays
    // out the window takes ownership.
    QWidget* side() const { return m_side; }
    DropBox* dropBox() const { return m_dropBox; }
    // The row of buttons above the panel grid, and its close image.
    QWidget* buttonRow() const { return m_buttonRow; }
    QWidget* closeButton() const { return m_closeButton; }

    // Wires View > Form Panel, which shows and hides the side, and the
    // panel's close button.
    void install(CommandSet& commands);

    // The panel's first layout: two columns under "Column" and "Value",
    // from then on showing the table's current record by itself.
    void setup();

    // Which grid had the keyboard focus last: 1 the table, 2 the panel, 0
    // before either.
    int activeGrid() const { return m_activeGrid; }
    // The grid becomes the active one as if it had taken the focus.
    void makeActive(int grid) { focusEntered(grid); }
    // Tells whether the table is in row mode, for the table's popup menu.
    void setRowModeSource(std::function<bool()> rowMode) { m_rowMode = std::move(rowMode); }
    // The Edit menu's Row Height and Move as the menu bar offers them,
    // after the popup (or a mode change) that restricted them.
    void restoreSubmenus();

  signals:
    // View > Form Panel showed the side again.
    void shown();
    // The keyboard focus went into the table (1) or the panel (2).
    void gridFocused(int grid);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildSide();
    void focusEntered(int grid);
    void popUpEditMenu(int grid, const QPoint& globalPos);
    void offerSubmenu(const char* name, bool allowed);

    GridWidget* m_fa;
    GridWidget* m_fb;
    QWidget* m_side = nullptr;
    QTabWidget* m_tabStrip = nullptr;
    QWidget* m_buttonRow = nullptr;
    QWidget* m_closeButton = nullptr;
    QAction* m_closeAction = nullptr;
    DropBox* m_dropBox = nullptr;
    PanelRecord* m_record = nullptr;
    int m_activeGrid = 0;
    CommandSet* m_commands = nullptr;
    std::function<bool()> m_rowMode;
};

} // namespace corvanta
