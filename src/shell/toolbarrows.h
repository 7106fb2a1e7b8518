#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QToolBar;
class QWidget;

namespace corvanta {

// The window's top rows. Toolbar's buttons have the first row to
// themselves; the count control and Toolbar2 (the move buttons) share a
// second row when either is shown, at its right end, Toolbar2 last. So at
// the default window size neither pushes a button into an overflow menu,
// and the row is gone again once both are hidden.
class ToolbarRows : public QObject
{
    Q_OBJECT
  public:
    // Toolbar2's left edge keeps this far from the window's right edge.
    static constexpr int kToolbar2Width = 760; // twips

    ToolbarRows(QMainWindow* window, QToolBar* toolbar2, QWidget* countControl);

    // Shows or hides the count control (a widget on a toolbar follows its
    // action, not its own visibility).
    QAction* countControlAction() const { return m_countAction; }
    QToolBar* secondRow() const { return m_row; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void arrange();
    void placeToolbar2();

    QMainWindow* m_window;
    QToolBar* m_toolbar2;
    QToolBar* m_row = nullptr;
    QAction* m_countAction = nullptr;
    QWidget* m_room = nullptr; // keeps the count control clear of Toolbar2
    QAction* m_roomAction = nullptr;
};

} // namespace corvanta
