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
    // 0: row mode, 1: block and edit mode; other values do nothing.
    void mnuMouseMode_Click(int index);
    // The grid's selection after the window comes back: the mode's own.
    void reapplyMouseMode();
    // The font colour palette ("PanColor"), hidden until asked for.
    QWidget* colorPalette() const { return m_panColor; }

  signals:
    // "row / records" for the status bar.
    void positionChanged(const QString& text);
    // "ROW" or "EDIT" for the status bar.
    void modeChanged(const QString& text);
    // After fa_Click: whatever shows the current record refreshes.
    void currentRecordChanged();

  private:
    void selectCurrentRow();

    GridWidget* m_fa;
    QWidget* m_panColor = nullptr;
    CommandSet* m_commands = nullptr;
};

} // namespace corvanta
