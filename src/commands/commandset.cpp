#include "commands/commandset.h"

#include <QIcon>
#include <QMenu>

#include <algorithm>

namespace corvanta {

namespace {
const char* const KeyProperty = "key";
} // namespace

CommandSet::CommandSet(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("commandSet"));
}

CommandSet::~CommandSet() = default;

void CommandSet::reportUnknown(const QString& objectName)
{
    Q_ASSERT_X(false, "CommandSet::attach", qPrintable(objectName));
    qCritical("CommandSet: no command named %s", qPrintable(objectName));
}

void CommandSet::addAction(QAction* a)
{
    Q_ASSERT(!a->objectName().isEmpty());
    Q_ASSERT(!m_actions.contains(a->objectName()));
    m_actions.insert(a->objectName(), a);
    // Connected at registration, before any subsystem wires the command.
    if (!a->isSeparator() && !a->menu())
        connect(a, &QAction::triggered, this, &CommandSet::aboutToRun);
}

void CommandSet::addMenu(QMenu* m)
{
    m_menus.insert(m->objectName(), m);
    addAction(m->menuAction());
}

void CommandSet::setToolbars(QToolBar* toolbar, QToolBar* toolbar2)
{
    m_toolbar = toolbar;
    m_toolbar2 = toolbar2;
}

QAction* CommandSet::makeButton(const QString& name, const QString& key, const QIcon& icon,
                                const QString& tip, const QString& twinName, bool checkable,
                                bool announce)
{
    auto* a = new QAction(icon, tip, this);
    a->setObjectName(name);
    a->setProperty(KeyProperty, key);
    a->setToolTip(tip);
    a->setCheckable(checkable);
    a->setEnabled(false);
    addAction(a);

    QAction* twin = twinName.isEmpty() ? nullptr : action(twinName);
    Q_ASSERT(twinName.isEmpty() || twin);
    if (twin) {
        m_twinOf.insert(a, twin);
        m_twinsOf.insert(twin, a);
        if (checkable) {
            m_mirrors.append(a);
            a->setChecked(twin->isChecked());
            connect(twin, &QAction::toggled, a, &QAction::setChecked);
        }
    }
    // Connected before any subsystem wires the button, so the announcement
    // always precedes the command. A checkable twin's click toggled the
    // button already; the menu entry decides, and the button shows what it
    // decided.
    connect(a, &QAction::triggered, this, [this, a, twin, key, announce] {
        if (announce)
            emit toolbarClicked(key);
        if (twin) {
            twin->trigger();
            // The click may have pushed a group sibling out too.
            for (QAction* mirror : std::as_const(m_mirrors))
                mirror->setChecked(m_twinOf.value(mirror)->isChecked());
        }
    });
    return a;
}

void CommandSet::addToolbarPosition(QAction* buttonOrSeparator)
{
    if (buttonOrSeparator->isSeparator())
        addAction(buttonOrSeparator);
    else
        m_keys.insert(keyOf(buttonOrSeparator), buttonOrSeparator);
    m_positions.append(buttonOrSeparator);
}

void CommandSet::addDropDownItem(QAction* button)
{
    m_keys.insert(keyOf(button), button);
}

void CommandSet::addToolbar2Button(QAction* button)
{
    m_keys2.insert(keyOf(button), button);
}

QAction* CommandSet::action(const QString& objectName) const
{
    return m_actions.value(objectName);
}

QMenu* CommandSet::menu(const QString& objectName) const
{
    return m_menus.value(objectName);
}

QAction* CommandSet::toolbarButton(const QString& key) const
{
    return m_keys.value(key);
}

QAction* CommandSet::toolbar2Button(const QString& key) const
{
    return m_keys2.value(key);
}

QAction* CommandSet::toolbarButtonAt(int position) const
{
    if (position < 1 || position > m_positions.size())
        return nullptr;
    return m_positions.at(position - 1);
}

QString CommandSet::keyOf(const QAction* toolbarAction) const
{
    if (!toolbarAction)
        return QString();
    return toolbarAction->property(KeyProperty).toString();
}

QAction* CommandSet::twinOf(const QAction* toolbarAction) const
{
    return m_twinOf.value(toolbarAction);
}

QAction* CommandSet::commandAction(const QString& objectName) const
{
    QAction* a = action(objectName);
    if (!a || a->isSeparator() || a->menu())
        return nullptr;
    return a;
}

void CommandSet::enable(QAction* command, bool on)
{
    command->setEnabled(on);
    const auto twins = m_twinsOf.values(command);
    for (QAction* t : twins)
        t->setEnabled(on);
}

void CommandSet::followEntries(const QString& menuName)
{
    QMenu* m = menu(menuName);
    if (!m)
        return;
    const auto update = [m] {
        const QList<QAction*> entries = m->actions();
        m->menuAction()->setEnabled(std::any_of(entries.begin(), entries.end(), [](QAction* a) {
            return !a->isSeparator() && a->isVisible() && a->isEnabled();
        }));
    };
    for (QAction* a : m->actions())
        connect(a, &QAction::changed, m, update);
    update();
}

bool CommandSet::setImplemented(const QString& objectName, bool on)
{
    QAction* a = commandAction(objectName);
    if (!a)
        return false;
    enable(a, on);
    return true;
}

} // namespace corvanta
