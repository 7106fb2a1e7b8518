#pragma once

#include "editing/edittargets.h"

#include <QObject>

#include <array>

class QToolButton;

namespace corvanta {

class CountCommands;
class DeleteDialog;
class RowColCommands;

// The eight image buttons above the form panel (`imgBtn` 0 to 7): delete
// and add a record, first, up, down and last record, and the panel's row
// heights. The button under the mouse shows a border and its tool tip.
// Also keeps the right-edge buttons (the two row height buttons and the
// panel's close image) at the panel's right edge.
class NavigationBar : public QObject
{
    Q_OBJECT
  public:
    static constexpr int kNone = 99; // no button hovered

    NavigationBar(const EditTargets& targets, RowColCommands* rows, CountCommands* counts,
                  QObject* parent = nullptr);

    // Button i of the bar, as a click would.
    void click(int i);
    QToolButton* button(int i) const { return m_buttons[size_t(i)]; }
    int lastHovered() const { return m_lastHovered; }
    // The dialog that asks before a delete; null until first asked.
    DeleteDialog* deleteDialog() const { return m_dialog; }

    // Places the right-edge buttons for a splitter whose left edge is at
    // `splitterLeft` twips: at start and after each splitter drag, never
    // on a window resize.
    void placeAtPanelEdge(int splitterLeft);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void hover(int i);
    void leaveButtons();
    void deleteRecord();
    void addRecord();
    void goTo(int row);
    void commonEnd(bool deleted);

    EditTargets m;
    RowColCommands* m_rows;
    CountCommands* m_counts;
    std::array<QToolButton*, 8> m_buttons{};
    DeleteDialog* m_dialog = nullptr;
    int m_lastHovered = 0;
};

} // namespace corvanta
