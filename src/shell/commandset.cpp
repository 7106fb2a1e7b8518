#include "shell/commandset.h"

#include "shell/icons.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <vector>

namespace corvanta {

namespace {

const char* const KeyProperty = "key";

enum Flag : unsigned {
    Checkable = 1,
    Checked = 2 | Checkable,
    Hidden = 4,
};

} // namespace

// One line of the menu tree. A Menu line opens a (sub)menu that the next End
// line closes; everything between belongs to it.
struct CommandSet::Entry
{
    enum Kind { Menu, End, Item, Separator } kind;
    const char* name;
    const char* text = "";
    const char* shortcut = "";
    unsigned flags = 0;
};

CommandSet::CommandSet(QMainWindow* window) : QObject(window)
{
    setObjectName(QStringLiteral("commandSet"));
    buildMenus(window);
    buildToolbar(window);
    buildToolbar2(window);
}

CommandSet::~CommandSet() = default;

void CommandSet::buildMenus(QMainWindow* window)
{
    using E = Entry;
    // Separators are unnamed except the Edit menu's: the form panel hides
    // those that would otherwise frame entries it hides. mnuSpace100 and
    // mnuSpace103 stay, so the panel's short menu keeps its groups apart.
    static const std::vector<Entry> tree = {
        {E::Menu, "mnuFile", "&File"},
        {E::Item, "mnuNew", "&New", "Ctrl+N"},
        {E::Menu, "mnuOpenA", "&Open"},
        {E::Item, "mnuOpen_0", "&Corvanta (*.cvt)"},
        {E::Menu, "mnuOpen_1", "&Comma Delimited (*.csv)"},
        {E::Item, "mnuOpenCSV_0", "First Line &Header"},
        {E::Item, "mnuOpenCSV_1", "First Line &Data"},
        {E::End, ""},
        {E::Menu, "mnuOpen_2", "Ta&b Delimited (*.txt)"},
        {E::Item, "mnuOpenTAB_0", "First Line &Header"},
        {E::Item, "mnuOpenTAB_1", "First Line &Data"},
        {E::End, ""},
        {E::End, ""},
        {E::Item, "mnuAppend", "&Append", "Ctrl+A"},
        {E::Separator, ""},
        {E::Item, "mnuSave", "&Save", "Ctrl+S"},
        {E::Menu, "mnuSaveAs", "Save &As"},
        {E::Item, "mnuSaveAsCVT", "Corvanta (*.cvt)"},
        {E::Item, "mnuSaveAsComma", "Comma Delimited (*.csv)"},
        {E::Item, "mnuSaveAsTab", "Tab Delimited (*.txt)"},
        {E::End, ""},
        {E::Separator, ""},
        {E::Item, "mnuPrintSheet", "&Print Sheet...", "F4"},
        {E::Item, "mnuPrintLabels", "Print &Mailing Labels...", "F5"},
        {E::Separator, ""},
        {E::Item, "mnuExit", "E&xit"},
        {E::End, ""},

        {E::Menu, "mnuEdit", "&Edit"},
        {E::Item, "mnuEditCut", "C&ut", "Ctrl+X"},
        {E::Item, "mnuEditCopy", "&Copy", "Ctrl+C"},
        {E::Item, "mnuEditPaste", "&Paste", "Ctrl+V"},
        {E::Separator, "mnuSpace100"},
        {E::Item, "mnuSelectAll", "Select &All", "Ctrl+L"},
        {E::Separator, "mnuSpace101"},
        {E::Item, "mnuEditFind", "&Find...", "Ctrl+F"},
        {E::Separator, "mnuSpace102"},
        {E::Item, "mnuAddRow", "&Add Row", "Ctrl+F2"},
        {E::Menu, "mnuInsert", "&Insert"},
        {E::Item, "mnuInsertRow", "&Row", "Shift+Ins"},
        {E::Item, "mnuInsertCol", "&Col", "Ctrl+Ins"},
        {E::End, ""},
        {E::Menu, "mnuDelete", "&Delete"},
        {E::Item, "mnuDeleteRow", "&Row(s)", "Shift+Del"},
        {E::Item, "mnuDeleteCol", "&Col", "Ctrl+D"},
        {E::End, ""},
        {E::Separator, "mnuSpace1030"},
        {E::Menu, "mnuMove", "&Move"},
        {E::Item, "mnuMoveUp", "&Up", "Ctrl+F11"},
        {E::Item, "mnuMoveDown", "&Down", "Ctrl+F12"},
        {E::End, ""},
        {E::Separator, "mnuSpace221"},
        {E::Item, "mnuEditColAttr", "Column A&ttributes..."},
        {E::Item, "mnuEditColTitle", "Column &Title...", "", Hidden},
        {E::Separator, "mnuSpace222"},
        {E::Menu, "mnuAlign", "A&lignment"},
        {E::Item, "mnuAlignLeft", "&Left"},
        {E::Item, "mnuAlignCenter", "&Center"},
        {E::Item, "mnuAlignRight", "&Right"},
        {E::End, ""},
        {E::Separator, "mnuSpace103"},
        {E::Item, "mnuBkColor", "&Backgorund Color..."},
        {E::Menu, "mnuRowHeight", "Row &Height"},
        {E::Item, "mnuRowHeightReset", "&Reset All"},
        {E::Item, "mnuRowHeightInc", "&Increase", "F11"},
        {E::Item, "mnuRowHeightDec", "&Decrease", "F12"},
        {E::End, ""},
        {E::End, ""},

        {E::Menu, "mnuView", "&View"},
        {E::Item, "mnuViewFb", "&Form Panel", "F2", Checked},
        {E::Item, "mnuRowCol", "&Row Col Control", "", Checkable},
        {E::Item, "mnuMoveControl", "&Move Control", "", Checkable},
        {E::Separator, ""},
        {E::Item, "mnuAlternateColor", "&Alternate Row Color", "", Checkable},
        {E::Item, "mnuGrid", "&Grid Lines", "", Checked},
        {E::Item, "mnuEmailParser", "&Email Parser", "", Checkable | Hidden},
        {E::End, ""},

        {E::Menu, "mnuToolS", "&Tools"},
        {E::Item, "mnuColDef", "&Column Define...", "F9"},
        {E::Item, "mnuDateTimeNow", "DateTime Stamp Now", "F3"},
        {E::Separator, ""},
        {E::Menu, "mnuToolsCountry", "Internet Map Countr&y"},
        {E::Item, "mnuToolsCountryUSA", "&USA", "", Checked},
        {E::Item, "mnuToolsCountryCa", "&Canada", "", Checkable},
        {E::End, ""},
        {E::Item, "mnuTools_InternetMap", "Internet &Map", "Ctrl+F5"},
        {E::Item, "mnuTools_DialPhone", "Dial &Phone", "Ctrl+F6"},
        {E::Item, "mnuTools_SendMail", "Send &Email", "Ctrl+F7"},
        {E::Item, "mnuTools_WebLink", "&Web Link", "Ctrl+F8"},
        // The mode's check marks live here; the toolbar switches the mode.
        {E::Menu, "mnuMouseMode0", "&Mouse Mode", "", Hidden},
        {E::Item, "mnuMouseMode_0", "&Row Mode", "F6", Checked},
        {E::Item, "mnuMouseMode_1", "&Block && Edit Mode", "F7", Checkable},
        {E::End, ""},
        {E::Item, "mnuDragDrop", "&Drag Drop", "", Checkable | Hidden},
        {E::End, ""},

        {E::Menu, "mnuHelp", "&Help"},
        {E::Item, "mnuTip", "&Tip of The Day", "F1"},
        {E::Separator, ""},
        {E::Item, "mnuHelpGuide", "&Guide Online"},
        {E::Item, "mnuWeb", "Corvanta on the &Web"},
        {E::Separator, ""},
        {E::Item, "mnuAbout", "&About"},
        {E::End, ""},
    };

    QMenuBar* bar = window->menuBar();
    std::vector<QMenu*> open;
    for (const Entry& e : tree) {
        const QString name = QString::fromLatin1(e.name);
        switch (e.kind) {
        case Entry::Menu: {
            const QString text = QString::fromLatin1(e.text);
            QMenu* m = open.empty() ? bar->addMenu(text) : open.back()->addMenu(text);
            m->setObjectName(name);
            m->menuAction()->setObjectName(name);
            m->menuAction()->setVisible(!(e.flags & Hidden));
            m_menus.insert(name, m);
            registerAction(m->menuAction());
            open.push_back(m);
            break;
        }
        case Entry::End:
            open.pop_back();
            break;
        case Entry::Separator: {
            QAction* sep = open.back()->addSeparator();
            if (!name.isEmpty()) {
                sep->setObjectName(name);
                registerAction(sep);
            }
            break;
        }
        case Entry::Item: {
            QAction* a = open.back()->addAction(QString::fromLatin1(e.text));
            a->setObjectName(name);
            if (*e.shortcut)
                a->setShortcut(QKeySequence::fromString(QString::fromLatin1(e.shortcut),
                                                        QKeySequence::PortableText));
            a->setCheckable(e.flags & Checkable);
            a->setChecked((e.flags & Checked) == Checked);
            a->setVisible(!(e.flags & Hidden));
            a->setEnabled(false);
            registerAction(a);
            break;
        }
        }
    }
    Q_ASSERT(open.empty());

    // One mode at a time; the handler still sets both marks itself.
    auto* modes = new QActionGroup(menu(QStringLiteral("mnuMouseMode0")));
    modes->addAction(action(QStringLiteral("mnuMouseMode_0")));
    modes->addAction(action(QStringLiteral("mnuMouseMode_1")));
}

void CommandSet::buildToolbar(QMainWindow* window)
{
    m_toolbar = new QToolBar(QStringLiteral("Toolbar"), window);
    m_toolbar->setObjectName(QStringLiteral("Toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(16, 16));
    // The window's toolbar context menu would let the user hide the toolbar
    // or show Toolbar2 behind the View menu's back.
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    window->addToolBar(Qt::TopToolBarArea, m_toolbar);

    struct Button
    {
        const char* key; // nullptr: separator
        const char* tip = "";
        const char* twin = "";
        bool checkable = false;
    };
    static const std::vector<Button> buttons = {
        {nullptr},
        {"New", "New", "mnuNew"},
        {"Open", "Open Corvanta File", "mnuOpen_0"},
        {"Save", "Save", "mnuSave"},
        {nullptr},
        {"Cut", "Cut", "mnuEditCut"},
        {"Copy", "Copy", "mnuEditCopy"},
        {"Paste", "Paste", "mnuEditPaste"},
        {nullptr},
        {"Find", "Find", "mnuEditFind"},
        {nullptr},
        {"Bold", "Bold", "", true},
        {"Italic", "Italic", "", true},
        {"Underline", "Underline", "", true},
        {nullptr},
        {"A", "Current Font Color"},
        {"Acolor", "Set Font Color"},
        {nullptr},
        {"Flood", "Set Background Color", "mnuBkColor"},
        {nullptr},
        {"RowMode", "Row and Find Mode", "mnuMouseMode_0", true},
        {"BlockMode", "Block and Edit Mode", "mnuMouseMode_1", true},
        {nullptr}, // 23: hidden by the main window at start
        {"DragMode", "Toggle Drag Mode", "", true},
        {"AlternateColor", "Toggle Alternate Color", "", true}, // 25: hidden, no command
        {nullptr},                                              // 26: hidden
        {nullptr},
        {"map", "Internet Map", "mnuTools_InternetMap"},
        {"phone", "Dial Phone", "mnuTools_DialPhone"},
        {"email", "Send Email", "mnuTools_SendMail"},
        {"website", "Go To Web Site", "mnuTools_WebLink"},
    };
    Q_ASSERT(buttons.size() == ToolbarPositions);

    for (const Button& b : buttons) {
        if (!b.key) {
            QAction* sep = m_toolbar->addSeparator();
            sep->setObjectName(QStringLiteral("tbr_Separator%1").arg(m_positions.size() + 1));
            registerAction(sep);
            m_positions.append(sep);
            continue;
        }
        QAction* a =
            addToolbarAction(m_toolbar, QString::fromLatin1(b.key), QString::fromLatin1(b.tip),
                             QString::fromLatin1(b.twin), b.checkable, true);
        m_keys.insert(a->property(KeyProperty).toString(), a);
        m_positions.append(a);
    }

    // The pair shows the mode: exactly one pressed, following the menu marks.
    auto* modes = new QActionGroup(m_toolbar);
    modes->addAction(toolbarButton(QStringLiteral("RowMode")));
    modes->addAction(toolbarButton(QStringLiteral("BlockMode")));

    // "Open" runs the native open; its arrow offers all three formats.
    auto* openMenu = new QMenu(m_toolbar);
    openMenu->setObjectName(QStringLiteral("tbr_OpenMenu"));
    struct DropItem
    {
        const char* key;
        const char* text;
        const char* twin;
    };
    static const DropItem items[] = {
        {"OPEN_CVT", "Corvanta (*.cvt)", "mnuOpen_0"},
        {"OPEN_CSV", "Comma Delimited (*.csv)", "mnuOpenCSV_0"},
        {"OPEN_TXT", "Tab Delimited (*.txt)", "mnuOpenTAB_0"},
    };
    for (const DropItem& item : items) {
        const QString key = QString::fromLatin1(item.key);
        QAction* a =
            makeButtonAction(QStringLiteral("tbr_") + key, key, QString::fromLatin1(item.text),
                             QString::fromLatin1(item.twin), false, true);
        a->setParent(openMenu);
        a->setText(QString::fromLatin1(item.text));
        openMenu->addAction(a);
        m_keys.insert(key, a);
    }
    if (auto* openButton = qobject_cast<QToolButton*>(
            m_toolbar->widgetForAction(toolbarButton(QStringLiteral("Open"))))) {
        openButton->setMenu(openMenu);
        openButton->setPopupMode(QToolButton::MenuButtonPopup);
    }
}

void CommandSet::buildToolbar2(QMainWindow* window)
{
    m_toolbar2 = new QToolBar(QStringLiteral("Toolbar2"), window);
    m_toolbar2->setObjectName(QStringLiteral("Toolbar2"));
    m_toolbar2->setMovable(false);
    m_toolbar2->setFloatable(false);
    m_toolbar2->setIconSize(QSize(16, 16));
    m_toolbar2->setContextMenuPolicy(Qt::PreventContextMenu);
    window->addToolBar(Qt::TopToolBarArea, m_toolbar2);
    m_toolbar2->hide();

    const QString up = QStringLiteral("Up");
    const QString down = QStringLiteral("Down");
    m_keys2.insert(up, addToolbarAction(m_toolbar2, up, QStringLiteral("Move Row(s) Up"),
                                        QStringLiteral("mnuMoveUp"), false, false));
    m_keys2.insert(down, addToolbarAction(m_toolbar2, down, QStringLiteral("Move Row(s) Down"),
                                          QStringLiteral("mnuMoveDown"), false, false));
}

QAction* CommandSet::addToolbarAction(QToolBar* bar, const QString& key, const QString& tip,
                                      const QString& twinName, bool checkable, bool announce)
{
    const QString prefix = bar == m_toolbar2 ? QStringLiteral("tbr2_") : QStringLiteral("tbr_");
    QAction* a = makeButtonAction(prefix + key, key, tip, twinName, checkable, announce);
    a->setParent(bar);
    bar->addAction(a);
    return a;
}

QAction* CommandSet::makeButtonAction(const QString& name, const QString& key, const QString& tip,
                                      const QString& twinName, bool checkable, bool announce)
{
    auto* a = new QAction(Icons::forKey(key), tip, this);
    a->setObjectName(name);
    a->setProperty(KeyProperty, key);
    a->setToolTip(tip);
    a->setCheckable(checkable);
    a->setEnabled(false);
    registerAction(a);

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
    // Connected before anything the program wires, so the announcement always
    // precedes the command. A checkable twin's click toggled the button
    // already; the menu entry decides, and the button shows what it decided.
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

void CommandSet::registerAction(QAction* a)
{
    Q_ASSERT(!m_actions.contains(a->objectName()));
    m_actions.insert(a->objectName(), a);
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

bool CommandSet::setImplemented(const QString& objectName, bool on)
{
    QAction* a = commandAction(objectName);
    if (!a)
        return false;
    a->setEnabled(on);
    const auto twins = m_twinsOf.values(a);
    for (QAction* t : twins)
        t->setEnabled(on);
    return true;
}

} // namespace corvanta
