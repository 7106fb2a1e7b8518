#include "shell/commandtree.h"

#include "commands/commandset.h"
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

enum Flag : unsigned {
    Checkable = 1,
    Checked = 2 | Checkable,
    Hidden = 4,
};

// One line of the menu tree. A Menu line opens a (sub)menu that the next End
// line closes; everything between belongs to it.
struct Entry
{
    enum Kind { Menu, End, Item, Separator } kind;
    const char* name;
    const char* text = "";
    const char* shortcut = "";
    unsigned flags = 0;
};

QAction* addButton(CommandSet& commands, QToolBar* bar, const QString& prefix, const QString& key,
                   const QString& tip, const QString& twinName, bool checkable, bool announce)
{
    QAction* a = commands.makeButton(prefix + key, key, Icons::forKey(key), tip, twinName,
                                     checkable, announce);
    a->setParent(bar);
    bar->addAction(a);
    return a;
}

void buildMenus(QMainWindow* window, CommandSet& commands)
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
        {E::Item, "mnuOpenVcard", "&vCard (*.vcf)"},
        {E::End, ""},
        {E::Item, "mnuAppend", "&Append", "Ctrl+A"},
        {E::Item, "mnuImportContacts", "&Import Contacts..."},
        {E::Item, "mnuSync", "S&ync with Address Book Server..."},
        {E::Separator, ""},
        {E::Item, "mnuSave", "&Save", "Ctrl+S"},
        {E::Menu, "mnuSaveAs", "Save &As"},
        {E::Item, "mnuSaveAsCVT", "Corvanta (*.cvt)"},
        {E::Item, "mnuSaveAsComma", "Comma Delimited (*.csv)"},
        {E::Item, "mnuSaveAsTab", "Tab Delimited (*.txt)"},
        {E::Item, "mnuSaveAsVcard", "vCard (*.vcf)"},
        {E::End, ""},
        {E::Separator, ""},
        {E::Item, "mnuPrintSheet", "&Print Sheet...", "F4"},
        {E::Item, "mnuPrintLabels", "Print &Mailing Labels...", "F5"},
        {E::Separator, ""},
        // Filled with the recent documents; empty entries stay hidden.
        {E::Menu, "mnuRecent", "Recent &Files"},
        {E::Item, "mnuRecent_0", "", "", Hidden},
        {E::Item, "mnuRecent_1", "", "", Hidden},
        {E::Item, "mnuRecent_2", "", "", Hidden},
        {E::Item, "mnuRecent_3", "", "", Hidden},
        {E::Item, "mnuRecent_4", "", "", Hidden},
        {E::Item, "mnuRecent_5", "", "", Hidden},
        {E::Item, "mnuRecent_6", "", "", Hidden},
        {E::Item, "mnuRecent_7", "", "", Hidden},
        {E::End, ""},
        {E::Separator, ""},
        {E::Item, "mnuExit", "E&xit"},
        {E::End, ""},

        {E::Menu, "mnuEdit", "&Edit"},
        {E::Item, "mnuUndo", "&Undo", "Ctrl+Z"},
        {E::Item, "mnuRedo", "&Redo", "Ctrl+Y; Ctrl+Shift+Z"},
        {E::Separator, ""},
        {E::Item, "mnuEditCut", "C&ut", "Ctrl+X"},
        {E::Item, "mnuEditCopy", "&Copy", "Ctrl+C"},
        {E::Item, "mnuEditPaste", "&Paste", "Ctrl+V"},
        {E::Separator, "mnuSpace100"},
        {E::Item, "mnuSelectAll", "Select &All", "Ctrl+L"},
        {E::Separator, "mnuSpace101"},
        {E::Item, "mnuEditFind", "&Find...", "Ctrl+F"},
        {E::Item, "mnuFilter", "Filte&r Records", "Ctrl+Shift+F"},
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
        {E::Separator, ""},
        {E::Item, "mnuTools_FindDuplicates", "Find &Duplicates..."},
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
            commands.addMenu(m);
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
                commands.addAction(sep);
            }
            break;
        }
        case Entry::Item: {
            QAction* a = open.back()->addAction(QString::fromLatin1(e.text));
            a->setObjectName(name);
            // Several shortcuts are separated by "; ".
            if (*e.shortcut)
                a->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(e.shortcut),
                                                             QKeySequence::PortableText));
            a->setCheckable(e.flags & Checkable);
            a->setChecked((e.flags & Checked) == Checked);
            a->setVisible(!(e.flags & Hidden));
            a->setEnabled(false);
            commands.addAction(a);
            break;
        }
        }
    }
    Q_ASSERT(open.empty());

    // One mode at a time; the handler still sets both marks itself.
    auto* modes = new QActionGroup(commands.menu(QStringLiteral("mnuMouseMode0")));
    modes->addAction(commands.action(QStringLiteral("mnuMouseMode_0")));
    modes->addAction(commands.action(QStringLiteral("mnuMouseMode_1")));
}

QToolBar* buildToolbar(QMainWindow* window, CommandSet& commands)
{
    auto* bar = new QToolBar(QStringLiteral("Toolbar"), window);
    bar->setObjectName(QStringLiteral("Toolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    // The window's toolbar context menu would let the user hide the toolbar
    // or show Toolbar2 behind the View menu's back.
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    window->addToolBar(Qt::TopToolBarArea, bar);

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
    Q_ASSERT(buttons.size() == CommandTree::ToolbarPositions);

    for (const Button& b : buttons) {
        if (!b.key) {
            QAction* sep = bar->addSeparator();
            sep->setObjectName(
                QStringLiteral("tbr_Separator%1").arg(commands.toolbarPositions() + 1));
            commands.addToolbarPosition(sep);
            continue;
        }
        commands.addToolbarPosition(
            addButton(commands, bar, QStringLiteral("tbr_"), QString::fromLatin1(b.key),
                      QString::fromLatin1(b.tip), QString::fromLatin1(b.twin), b.checkable, true));
    }

    // The pair shows the mode: exactly one pressed, following the menu marks.
    auto* modes = new QActionGroup(bar);
    modes->addAction(commands.toolbarButton(QStringLiteral("RowMode")));
    modes->addAction(commands.toolbarButton(QStringLiteral("BlockMode")));

    // "Open" runs the native open; its arrow offers all three formats.
    auto* openMenu = new QMenu(bar);
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
        QAction* a = commands.makeButton(QStringLiteral("tbr_") + key, key, Icons::forKey(key),
                                         QString::fromLatin1(item.text),
                                         QString::fromLatin1(item.twin), false, true);
        a->setParent(openMenu);
        a->setText(QString::fromLatin1(item.text));
        openMenu->addAction(a);
        commands.addDropDownItem(a);
    }
    if (auto* openButton = qobject_cast<QToolButton*>(
            bar->widgetForAction(commands.toolbarButton(QStringLiteral("Open"))))) {
        openButton->setMenu(openMenu);
        openButton->setPopupMode(QToolButton::MenuButtonPopup);
    }
    return bar;
}

QToolBar* buildToolbar2(QMainWindow* window, CommandSet& commands)
{
    // Not in the window's toolbar area: sharing a row there would squeeze
    // both toolbars into overflow buttons. The window places it over the
    // right end of Toolbar's row.
    auto* bar2 = new QToolBar(QStringLiteral("Toolbar2"), window);
    bar2->setObjectName(QStringLiteral("Toolbar2"));
    bar2->setMovable(false);
    bar2->setFloatable(false);
    bar2->setIconSize(QSize(16, 16));
    bar2->setContextMenuPolicy(Qt::PreventContextMenu);
    bar2->hide();

    const QString up = QStringLiteral("Up");
    const QString down = QStringLiteral("Down");
    // Toolbar2 runs its commands without announcing the click.
    commands.addToolbar2Button(addButton(commands, bar2, QStringLiteral("tbr2_"), up,
                                         QStringLiteral("Move Row(s) Up"),
                                         QStringLiteral("mnuMoveUp"), false, false));
    commands.addToolbar2Button(addButton(commands, bar2, QStringLiteral("tbr2_"), down,
                                         QStringLiteral("Move Row(s) Down"),
                                         QStringLiteral("mnuMoveDown"), false, false));
    return bar2;
}

} // namespace

void CommandTree::build(QMainWindow* window, CommandSet& commands)
{
    buildMenus(window, commands);
    QToolBar* toolbar = buildToolbar(window, commands);
    QToolBar* toolbar2 = buildToolbar2(window, commands);
    commands.setToolbars(toolbar, toolbar2);
    for (const char* name : {"mnuInsert", "mnuDelete", "mnuMove", "mnuAlign", "mnuRowHeight",
                             "mnuToolsCountry", "mnuRecent"})
        commands.followEntries(QString::fromLatin1(name));
}

} // namespace corvanta
