#pragma once

#include <QAction>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

#include <utility>

class QMainWindow;
class QMenu;
class QToolBar;

namespace corvanta {

// Every command of the main window: the menu bar, the toolbar `Toolbar` with
// its 31 positions and the small move toolbar `Toolbar2`. Each control carries
// the program's name as objectName, so commands are found by name and never by
// caption.
//
// Every command starts disabled; `wire()` (or `setImplemented()`) is the only
// way one becomes enabled, so a command whose code is not there yet is visible
// but greyed out instead of silently doing nothing.
//
// Toolbar buttons that run a menu command (New, Open, Save, Cut, Copy, Paste,
// Find, Flood, RowMode, BlockMode, map, phone, email, website, the Open
// drop-down items and Toolbar2's Up/Down) are separate actions, "tbr_<Key>",
// that forward to the menu entry they twin. They are separate because the
// toolbar must announce a click before the command runs, and because the Edit
// menu hides entries (Cut, Paste, Find) whose toolbar buttons stay on screen;
// a hidden QAction would vanish from the toolbar too. Wire the menu entry:
// its twins follow its enabled state through wire()/setImplemented(), and the
// twins of checkable entries mirror the check mark.
class CommandSet : public QObject
{
    Q_OBJECT
  public:
    // Creates the menus in window->menuBar(), the toolbar (objectName
    // "Toolbar", added to the window) and Toolbar2 (added, hidden).
    explicit CommandSet(QMainWindow* window);
    ~CommandSet() override;

    // Any menu entry, submenu parent ("mnuOpenA", "mnuInsert", ...), named
    // separator or toolbar action ("tbr_Bold"); nullptr if unknown.
    QAction* action(const QString& objectName) const;
    // "mnuFile", "mnuEdit", "mnuOpenA", "mnuOpen_1", ...; nullptr if unknown.
    QMenu* menu(const QString& objectName) const;
    QToolBar* toolbar() const { return m_toolbar; }
    QToolBar* toolbar2() const { return m_toolbar2; }

    // The toolbar action with this key ("New", ..., "website", and the
    // drop-down items "OPEN_CVT", "OPEN_CSV", "OPEN_TXT"); nullptr if none.
    QAction* toolbarButton(const QString& key) const;
    // Toolbar2's buttons: "Up" and "Down".
    QAction* toolbar2Button(const QString& key) const;
    // 1-based position on Toolbar, separators included; nullptr outside 1..31.
    QAction* toolbarButtonAt(int position) const;
    static constexpr int ToolbarPositions = 31;
    // The toolbar key an action carries, "" for menu entries and separators.
    QString keyOf(const QAction* toolbarAction) const;
    // The menu entry a toolbar button forwards to, nullptr for toolbar-only
    // buttons (Bold, Italic, Underline, A, Acolor, DragMode, AlternateColor).
    QAction* twinOf(const QAction* toolbarAction) const;

    // Connects `slot` to the command's triggered() signal and enables it and
    // its toolbar twins. Returns false (and connects nothing) for an unknown
    // name. `ctx` is the receiver: a QObject for a functor, or the object of
    // a member-function slot.
    template <typename Ctx, typename F>
    bool wire(const QString& objectName, const Ctx* ctx, F&& slot)
    {
        QAction* a = commandAction(objectName);
        if (!a)
            return false;
        connect(a, &QAction::triggered, ctx, std::forward<F>(slot));
        setImplemented(objectName, true);
        return true;
    }
    // Enables or disables a command and its toolbar twins without connecting
    // anything. Returns false for an unknown name.
    bool setImplemented(const QString& objectName, bool on);

  signals:
    // Emitted for every click on a Toolbar button or drop-down item, before
    // the button's own command runs. Not emitted for menu entries, shortcuts
    // or Toolbar2.
    void toolbarClicked(const QString& key);

  private:
    struct Entry;
    void buildMenus(QMainWindow* window);
    void buildToolbar(QMainWindow* window);
    void buildToolbar2(QMainWindow* window);
    QAction* addToolbarAction(QToolBar* bar, const QString& key, const QString& tip,
                              const QString& twinName, bool checkable, bool announce);
    QAction* makeButtonAction(const QString& name, const QString& key, const QString& tip,
                              const QString& twinName, bool checkable, bool announce);
    void registerAction(QAction* a);
    // An action that can carry a command: not a separator, not a submenu.
    QAction* commandAction(const QString& objectName) const;

    QToolBar* m_toolbar = nullptr;
    QToolBar* m_toolbar2 = nullptr;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QHash<QString, QAction*> m_keys;  // Toolbar buttons and drop-down items
    QHash<QString, QAction*> m_keys2; // Toolbar2
    QVector<QAction*> m_positions;
    QHash<const QAction*, QAction*> m_twinOf;       // toolbar action -> menu entry
    QMultiHash<const QAction*, QAction*> m_twinsOf; // menu entry -> toolbar actions
    QVector<QAction*> m_mirrors; // checkable toolbar twins, showing their entry's mark
};

} // namespace corvanta
