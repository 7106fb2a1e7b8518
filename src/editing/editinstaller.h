#pragma once

#include "editing/edittargets.h"

#include <QObject>

#include <memory>

namespace corvanta {

class ClipboardCommands;
class CommandSet;
class CountCommands;
class NavigationBar;
class RowColCommands;
class SortCommands;

// Everything that edits the table's shape, order and cells in bulk, set up
// in one go: row and column commands, the clipboard, the count control and
// row heights, sorting and column dragging, and the navigation bar.
class EditInstaller : public QObject
{
    Q_OBJECT
  public:
    // `targets.clipboard` may be null: the system clipboard is then used.
    EditInstaller(const EditTargets& targets, QObject* parent = nullptr);
    ~EditInstaller() override;

    void install(CommandSet& commands);

    // Tests put a clipboard of their own in place of the system's.
    void setClipboard(SystemClipboard* clipboard);

    // The splitter's left edge moved (at start, or a drag ended).
    void placeAtPanelEdge(int splitterLeft);

    RowColCommands* rowCol() const { return m_rowCol; }
    ClipboardCommands* clipboard() const { return m_clipboard; }
    CountCommands* counts() const { return m_counts; }
    SortCommands* sort() const { return m_sort; }
    NavigationBar* navigation() const { return m_nav; }

  signals:
    // The number of picked records, "N Sel", whenever the selection changes.
    void selectionTextChanged(const QString& text);

  private:
    std::unique_ptr<SystemClipboard> m_systemClipboard;
    RowColCommands* m_rowCol;
    ClipboardCommands* m_clipboard;
    CountCommands* m_counts;
    SortCommands* m_sort;
    NavigationBar* m_nav;
};

} // namespace corvanta
