#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace corvanta {

class CommandSet;
class GridWidget;

// The records grid's own commands: the mouse mode (row and find, or block
// and edit), drag mode, and fa_Click, the refresh after the current cell
// moves.
class TableCommands : public QObject
{
    Q_OBJECT
  public:
    explicit TableCommands(GridWidget* fa, QObject* parent = nullptr);

    // Wires the mode entries and the drag button; the toolbar's style
    // buttons show the current cell from then on.
    void install(CommandSet& commands);

    // The current cell moved: the style buttons and the position follow.
    void fa_Click();
    // The mouse mode: whole rows picked (row and find) or a free block
    // (block and edit). Every command that covers rows or a block asks
    // here; the menu marks, the toolbar buttons and the grid follow it.
    enum class Mode { Row, Block };
    Mode mode() const { return m_mode; }
    bool isRowMode() const { return m_mode == Mode::Row; }
    // 0: row mode, 1: block and edit mode; other values do nothing.
    void mnuMouseMode_Click(int index);
    // The grid's selection after the window comes back: the mode's own.
    void reapplyMouseMode();
    // Whether the grid selects as the mode does (Find frees it for a while).
    bool gridFollowsMode() const;
    // The font colour palette ("PanColor"), hidden until asked for.
    QWidget* colorPalette() const { return m_panColor; }

  signals:
    // "row / records" for the status bar.
    void positionChanged(const QString& text);
    // The mouse mode changed; `text` is "ROW" or "EDIT" for the status bar.
    void modeChanged(TableCommands::Mode mode, const QString& text);
    // After fa_Click: whatever shows the current record refreshes.
    void currentRecordChanged();

  private:
    void selectCurrentRow();
    void applyModeToGrid();

    GridWidget* m_fa;
    Mode m_mode = Mode::Row;
    QWidget* m_panColor = nullptr;
    CommandSet* m_commands = nullptr;
};

} // namespace corvanta
