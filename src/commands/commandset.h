#pragma once

#include <QAction>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

#include <utility>

class QIcon;
class QMenu;
class QToolBar;

namespace corvanta {

// The registry of commands: every menu entry, submenu, named separator and
// toolbar button, found by its objectName and never by caption. The shell
// lays out the menus and toolbars and registers them here; each subsystem
// then installs its commands by name.
//
// Every command starts disabled; `wire()` (or `setImplemented()`) is the only
// way one becomes enabled, so a command whose code is not there yet is visible
// but greyed out instead of silently doing nothing.
//
// Toolbar buttons that run a menu command are separate actions, "tbr_<Key>",
// that forward to the menu entry they twin. They are separate because the
// toolbar must announce a click before the command runs, and because a menu
// may hide entries whose toolbar buttons stay on screen; a hidden QAction
// would vanish from the toolbar too. Wire the menu entry: its twins follow
// its enabled state through wire()/setImplemented(), and the twins of
// checkable entries mirror the check mark.
class CommandSet : public QObject
{
    Q_OBJECT
  public:
    explicit CommandSet(QObject* parent = nullptr);
    ~CommandSet() override;

    // --- lookups ---

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
    // 1-based position on Toolbar, separators included; nullptr outside
    // 1..toolbarPositions().
    QAction* toolbarButtonAt(int position) const;
    int toolbarPositions() const { return int(m_positions.size()); }
    // The toolbar key an action carries, "" for menu entries and separators.
    QString keyOf(const QAction* toolbarAction) const;
    // The menu entry a toolbar button forwards to, nullptr for toolbar-only
    // buttons.
    QAction* twinOf(const QAction* toolbarAction) const;

    // --- wiring ---

    // Connects `slot` to the command's triggered() signal and enables it and
    // its toolbar twins. Returns false (and connects nothing) for an unknown
    // name. `ctx` is the receiver: a QObject for a functor, or the object of
    // a member-function slot.
    template <typename Ctx, typename F>
    [[nodiscard]] bool wire(const QString& objectName, const Ctx* ctx, F&& slot)
    {
        QAction* a = commandAction(objectName);
        if (!a)
            return false;
        connect(a, &QAction::triggered, ctx, std::forward<F>(slot));
        enable(a, true);
        return true;
    }
    // wire() for installers, whose names are fixed in the code: a name the
    // menus do not have is a programming error. Debug builds stop on it;
    // release builds report it and leave the command greyed out.
    template <typename Ctx, typename F>
    void attach(const QString& objectName, const Ctx* ctx, F&& slot)
    {
        const bool known = wire(objectName, ctx, std::forward<F>(slot));
        if (!known)
            reportUnknown(objectName);
    }
    // Enables or disables a command and its toolbar twins without connecting
    // anything. Returns false for an unknown name.
    [[nodiscard]] bool setImplemented(const QString& objectName, bool on);

    // A submenu whose entries are all disabled (or hidden) is disabled
    // itself, and comes back as soon as one of them works: a menu that
    // opens onto grey entries only is a dead end.
    void followEntries(const QString& menuName);

    // --- registration, by whatever lays out the menus and toolbars ---

    // A named menu entry or separator.
    void addAction(QAction* a);
    // A (sub)menu: the menu and its entry in the parent, both under its name.
    void addMenu(QMenu* m);
    void setToolbars(QToolBar* toolbar, QToolBar* toolbar2);
    // A button action named `name` that carries `key`. A click announces
    // itself through toolbarClicked() when `announce` is set, then runs the
    // menu entry `twinName` if there is one. Place it with one of the add*
    // calls below.
    QAction* makeButton(const QString& name, const QString& key, const QIcon& icon,
                        const QString& tip, const QString& twinName, bool checkable, bool announce);
    // The next position on Toolbar: a button, or a separator (registered
    // under its objectName).
    void addToolbarPosition(QAction* buttonOrSeparator);
    // A button outside the positions of Toolbar, found by its key: the Open
    // drop-down items.
    void addDropDownItem(QAction* button);
    void addToolbar2Button(QAction* button);

  signals:
    // Emitted before any command runs, however it was started (menu,
    // shortcut, toolbar), so that an edit still open is taken first.
    void aboutToRun();
    // Emitted for every click on an announcing button, before the button's
    // own command runs. Not emitted for menu entries or shortcuts.
    void toolbarClicked(const QString& key);

  private:
    // An action that can carry a command: not a separator, not a submenu.
    QAction* commandAction(const QString& objectName) const;
    void enable(QAction* command, bool on);
    static void reportUnknown(const QString& objectName);

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
