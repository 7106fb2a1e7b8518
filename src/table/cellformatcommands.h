#pragma once

#include <QIcon>
#include <QObject>

#include <array>
#include <functional>

class QFrame;

namespace corvanta {

class CommandSet;
class EditHistory;
class GridWidget;
class Platform;

// Cell formatting from the toolbar and the Edit menu: bold, italic and
// underline, the font colour palette and the "A" button, the background
// colour and the alignment. Changes to the table are one undoable step
// each; the form panel's own formatting is never saved and never undone.
// Also shows typed columns of the table through their format.
class CellFormatCommands : public QObject
{
    Q_OBJECT
  public:
    struct Hooks
    {
        std::function<int()> activeGrid;         // 1 the table, 2 the panel, 0 neither
        std::function<bool()> rowMode;           // the table's mouse mode
        std::function<QIcon(int)> fontColorIcon; // the "A" picture of swatch i
    };

    // `palette` is the hidden panel the swatches go into.
    CellFormatCommands(GridWidget* fa, GridWidget* fb, QFrame* palette, Platform& platform,
                       EditHistory& history, Hooks hooks, QObject* parent = nullptr);

    void install(CommandSet& commands);

    // The swatch colours, 0x00BBGGRR.
    static constexpr std::array<quint32, 8> kSwatches = {0x000000, 0x0000FF, 0x000080, 0x008000,
                                                         0x800000, 0x800080, 0xFF00FF, 0xFF0000};
    static constexpr int kFirstColorImage = 16;

    int currentColor() const { return m_color; }
    // The toggle states of a grid (1 the table, 2 the panel): bold, italic,
    // underline.
    bool styleState(int grid, int style) const;

    // --- the commands ---
    void toggleStyle(int style); // 0 bold, 1 italic, 2 underline
    void showPalette();
    void chooseSwatch(int index);
    void applyCurrentColor(); // the "A" button
    void chooseBackColor();
    void alignTable(int code);

    // The table's current cell moved: its styles become the table's states.
    void refreshTableState();
    // The buttons show the states of the grid that has the focus.
    void showStates(int grid);

  signals:
    // A formatting change of the table that marks the document modified.
    void tableFormatted();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Range
    {
        int row1, col1, row2, col2;
    };
    Range tableRange() const;
    Range panelRange() const;
    int targetGrid() const;
    // One setting over the table's range as one undoable step.
    void formatTable(const QString& what, int setting, const QVariant& value);
    void buildSwatches();

    GridWidget* m_fa;
    GridWidget* m_fb;
    QFrame* m_palette;
    Platform& m_platform;
    EditHistory& m_history;
    Hooks m_hooks;
    CommandSet* m_commands = nullptr;
    std::array<QFrame*, 8> m_swatches{};
    int m_color = 0;
    // [grid - 1][style]: bold, italic, underline of the table and the panel.
    std::array<std::array<bool, 3>, 2> m_states{};
};

} // namespace corvanta
