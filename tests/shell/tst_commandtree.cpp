// The menu bar and toolbars the shell lays out, with their icons.
#include "../support/commandwindow.h"
#include "commands/commandset.h"
#include "shell/commandtree.h"
#include "shell/icons.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace corvanta;

class TestCommandTree : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void menus_data();
    void menus();
    void shortcutsAreUnique();
    void shortcutReachesCommand_data();
    void shortcutReachesCommand();

    void toolbarPositions_data();
    void toolbarPositions();
    void openDropDown();
    void toolbar2();
    void toolbarRoutesEveryKey();
    void everyCommandStartsDisabled();

    void iconsAreDrawnAndDistinct();
    void fontColorBars_data();
    void fontColorBars();

  private:
    std::unique_ptr<QMainWindow> m_window;
    CommandSet* m_cmds = nullptr;
};

void TestCommandTree::init()
{
    openCommandWindow(m_window, m_cmds);
}

void TestCommandTree::cleanup()
{
    m_window.reset();
    m_cmds = nullptr;
}

// ---------------------------------------------------------------- menus

// One line an entry: "name|caption|shortcut|mark"; the mark is [x] or [ ]
// for checkable entries and "hidden" for entries out of sight at start.
// Separators read "-" followed by their name.
static QString describe(const QAction* a)
{
    if (a->isSeparator())
        return "-" + a->objectName();
    QStringList parts{a->objectName(), a->text()};
    if (!a->shortcut().isEmpty())
        parts << a->shortcut().toString(QKeySequence::PortableText);
    if (a->isCheckable())
        parts << (a->isChecked() ? "[x]" : "[ ]");
    if (!a->isVisible())
        parts << "hidden";
    return parts.join('|');
}

void TestCommandTree::menus_data()
{
    QTest::addColumn<QStringList>("entries");
    // clang-format off
    QTest::newRow("menu bar") << QStringList{
        "mnuFile|&File", "mnuEdit|&Edit", "mnuView|&View", "mnuToolS|&Tools", "mnuHelp|&Help"};
    QTest::newRow("mnuFile") << QStringList{
        "mnuNew|&New|Ctrl+N", "mnuOpenA|&Open", "mnuAppend|&Append|Ctrl+A",
        "mnuImportContacts|&Import Contacts...",
        "mnuSync|S&ync with Address Book Server...", "-",
        "mnuSave|&Save|Ctrl+S", "mnuSaveAs|Save &As", "-",
        "mnuPrintSheet|&Print Sheet...|F4", "mnuPrintLabels|Print &Mailing Labels...|F5", "-",
        "mnuRecent|Recent &Files", "-", "mnuExit|E&xit"};
    QTest::newRow("mnuOpenA") << QStringList{
        "mnuOpen_0|&Corvanta (*.cvt)", "mnuOpen_1|&Comma Delimited (*.csv)",
        "mnuOpen_2|Ta&b Delimited (*.txt)", "mnuOpenVcard|&vCard (*.vcf)"};
    QTest::newRow("mnuOpen_1") << QStringList{
        "mnuOpenCSV_0|First Line &Header", "mnuOpenCSV_1|First Line &Data"};
    QTest::newRow("mnuOpen_2") << QStringList{
        "mnuOpenTAB_0|First Line &Header", "mnuOpenTAB_1|First Line &Data"};
    QTest::newRow("mnuSaveAs") << QStringList{
        "mnuSaveAsCVT|Corvanta (*.cvt)", "mnuSaveAsComma|Comma Delimited (*.csv)",
        "mnuSaveAsTab|Tab Delimited (*.txt)", "mnuSaveAsVcard|vCard (*.vcf)"};
    QTest::newRow("mnuEdit") << QStringList{
        "mnuUndo|&Undo|Ctrl+Z", "mnuRedo|&Redo|Ctrl+Y", "-",
        "mnuEditCut|C&ut|Ctrl+X", "mnuEditCopy|&Copy|Ctrl+C", "mnuEditPaste|&Paste|Ctrl+V",
        "-mnuSpace100", "mnuSelectAll|Select &All|Ctrl+L", "-mnuSpace101",
        "mnuEditFind|&Find...|Ctrl+F", "mnuFilter|Filte&r Records|Ctrl+Shift+F",
        "-mnuSpace102", "mnuAddRow|&Add Row|Ctrl+F2",
        "mnuInsert|&Insert", "mnuDelete|&Delete", "-mnuSpace1030", "mnuMove|&Move",
        "-mnuSpace221", "mnuEditColAttr|Column A&ttributes...",
        "mnuEditColTitle|Column &Title...|hidden", "-mnuSpace222", "mnuAlign|A&lignment",
        "-mnuSpace103", "mnuBkColor|&Backgorund Color...", "mnuRowHeight|Row &Height"};
    QTest::newRow("mnuInsert") << QStringList{
        "mnuInsertRow|&Row|Shift+Ins", "mnuInsertCol|&Col|Ctrl+Ins"};
    QTest::newRow("mnuDelete") << QStringList{
        "mnuDeleteRow|&Row(s)|Shift+Del", "mnuDeleteCol|&Col|Ctrl+D"};
    QTest::newRow("mnuMove") << QStringList{"mnuMoveUp|&Up|Ctrl+F11", "mnuMoveDown|&Down|Ctrl+F12"};
    QTest::newRow("mnuAlign") << QStringList{
        "mnuAlignLeft|&Left", "mnuAlignCenter|&Center", "mnuAlignRight|&Right"};
    QTest::newRow("mnuRowHeight") << QStringList{
        "mnuRowHeightReset|&Reset All", "mnuRowHeightInc|&Increase|F11",
        "mnuRowHeightDec|&Decrease|F12"};
    QTest::newRow("mnuView") << QStringList{
        "mnuViewFb|&Form Panel|F2|[x]", "mnuRowCol|&Row Col Control|[ ]",
        "mnuMoveControl|&Move Control|[ ]", "-", "mnuAlternateColor|&Alternate Row Color|[ ]",
        "mnuGrid|&Grid Lines|[x]", "mnuEmailParser|&Email Parser|[ ]|hidden"};
    QTest::newRow("mnuToolS") << QStringList{
        "mnuColDef|&Column Define...|F9", "mnuDateTimeNow|DateTime Stamp Now|F3", "-",
        "mnuToolsCountry|Internet Map Countr&y", "mnuTools_InternetMap|Internet &Map|Ctrl+F5",
        "mnuTools_DialPhone|Dial &Phone|Ctrl+F6", "mnuTools_SendMail|Send &Email|Ctrl+F7",
        "mnuTools_WebLink|&Web Link|Ctrl+F8", "-", "mnuTools_FindDuplicates|Find &Duplicates...",
        "mnuMouseMode0|&Mouse Mode|hidden",
        "mnuDragDrop|&Drag Drop|[ ]|hidden"};
    QTest::newRow("mnuToolsCountry") << QStringList{
        "mnuToolsCountryUSA|&USA|[x]", "mnuToolsCountryCa|&Canada|[ ]"};
    QTest::newRow("mnuMouseMode0") << QStringList{
        "mnuMouseMode_0|&Row Mode|F6|[x]", "mnuMouseMode_1|&Block && Edit Mode|F7|[ ]"};
    QTest::newRow("mnuHelp") << QStringList{
        "mnuTip|&Tip of The Day|F1", "-", "mnuHelpGuide|&Guide Online",
        "mnuWeb|Corvanta on the &Web", "-", "mnuAbout|&About"};
    // clang-format on
}

void TestCommandTree::menus()
{
    QFETCH(QStringList, entries);
    const QString name = QTest::currentDataTag();
    const QWidget* owner =
        name == "menu bar" ? static_cast<QWidget*>(m_window->menuBar()) : m_cmds->menu(name);
    QVERIFY(owner);
    QStringList actual;
    for (QAction* a : owner->actions()) {
        actual << describe(a);
        if (!a->objectName().isEmpty())
            QCOMPARE(m_cmds->action(a->objectName()), a);
        if (a->menu()) { // a submenu answers to the name of its entry
            QCOMPARE(m_cmds->menu(a->objectName()), a->menu());
            QCOMPARE(a->menu()->objectName(), a->objectName());
        }
    }
    QCOMPARE(actual, entries);
}

void TestCommandTree::shortcutsAreUnique()
{
    // Qt fires neither of two actions that share a shortcut.
    QHash<QString, QString> seen;
    for (QAction* a : m_window->findChildren<QAction*>()) {
        for (const QKeySequence& shortcut : a->shortcuts()) {
            const QString key = shortcut.toString(QKeySequence::PortableText);
            QVERIFY2(!seen.contains(key),
                     qPrintable(key + " on " + seen.value(key) + " and " + a->objectName()));
            seen.insert(key, a->objectName());
        }
    }
    QCOMPARE(seen.size(), 33);
}

void TestCommandTree::shortcutReachesCommand_data()
{
    QTest::addColumn<QKeyCombination>("keys");
    QTest::addColumn<int>("runs");
    QTest::newRow("mnuNew") << (Qt::CTRL | Qt::Key_N) << 1;
    QTest::newRow("mnuInsertRow") << (Qt::SHIFT | Qt::Key_Insert) << 1;
    QTest::newRow("mnuDeleteRow") << (Qt::SHIFT | Qt::Key_Delete) << 1;
    QTest::newRow("mnuRowHeightDec") << QKeyCombination(Qt::Key_F12) << 1;
    QTest::newRow("mnuUndo") << (Qt::CTRL | Qt::Key_Z) << 1;
    QTest::addRow("mnuRedo") << (Qt::CTRL | Qt::Key_Y) << 1;
    QTest::addRow("mnuRedo") << (Qt::CTRL | Qt::SHIFT | Qt::Key_Z) << 1;
    // The mode menu is never shown, so its keys stay quiet: only the
    // toolbar switches the mode.
    QTest::newRow("mnuMouseMode_1") << QKeyCombination(Qt::Key_F7) << 0;
}

void TestCommandTree::shortcutReachesCommand()
{
    QFETCH(QKeyCombination, keys);
    QFETCH(int, runs);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    int actual = 0;
    QVERIFY(m_cmds->wire(QTest::currentDataTag(), this, [&actual] { ++actual; }));
    QTest::keyClick(m_window.get(), keys.key(), keys.keyboardModifiers());
    QCOMPARE(actual, runs);
}

// ---------------------------------------------------------------- toolbars

void TestCommandTree::toolbarPositions_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<QString>("key"); // empty: separator
    QTest::addColumn<QString>("tip");
    QTest::addColumn<bool>("checkable");
    const auto row = [](int pos, const char* key, const char* tip = "", bool checkable = false) {
        QTest::addRow("%d %s", pos, *key ? key : "separator")
            << pos << QString(key) << QString(tip) << checkable;
    };
    // clang-format off
    row(1, ""); row(2, "New", "New"); row(3, "Open", "Open Corvanta File"); row(4, "Save", "Save");
    row(5, ""); row(6, "Cut", "Cut"); row(7, "Copy", "Copy"); row(8, "Paste", "Paste");
    row(9, ""); row(10, "Find", "Find"); row(11, "");
    row(12, "Bold", "Bold", true); row(13, "Italic", "Italic", true);
    row(14, "Underline", "Underline", true); row(15, "");
    row(16, "A", "Current Font Color"); row(17, "Acolor", "Set Font Color"); row(18, "");
    row(19, "Flood", "Set Background Color"); row(20, "");
    row(21, "RowMode", "Row and Find Mode", true); row(22, "BlockMode", "Block and Edit Mode", true);
    row(23, ""); row(24, "DragMode", "Toggle Drag Mode", true);
    row(25, "AlternateColor", "Toggle Alternate Color", true); row(26, ""); row(27, "");
    row(28, "map", "Internet Map"); row(29, "phone", "Dial Phone"); row(30, "email", "Send Email");
    row(31, "website", "Go To Web Site");
    // clang-format on
}

void TestCommandTree::toolbarPositions()
{
    QFETCH(int, pos);
    QFETCH(QString, key);
    QFETCH(QString, tip);
    QFETCH(bool, checkable);

    QCOMPARE(m_window->findChild<QToolBar*>("Toolbar"), m_cmds->toolbar());
    QCOMPARE(m_cmds->toolbar()->actions().size(), CommandTree::ToolbarPositions);
    QAction* a = m_cmds->toolbarButtonAt(pos);
    QVERIFY(a);
    QCOMPARE(m_cmds->toolbar()->actions().at(pos - 1), a); // the order on screen
    QVERIFY(a->isVisible());                               // the window hides 23, 25 and 26 itself
    QCOMPARE(a->isSeparator(), key.isEmpty());
    QCOMPARE(m_cmds->keyOf(a), key);
    if (key.isEmpty())
        return;
    QCOMPARE(m_cmds->toolbarButton(key), a);
    QCOMPARE(a->objectName(), "tbr_" + key);
    QCOMPARE(a->toolTip(), tip);
    QCOMPARE(a->isCheckable(), checkable);
    QCOMPARE(a->isChecked(), key == "RowMode");
}

void TestCommandTree::openDropDown()
{
    auto* button = qobject_cast<QToolButton*>(
        m_cmds->toolbar()->widgetForAction(m_cmds->toolbarButton("Open")));
    QVERIFY(button);
    QCOMPARE(button->popupMode(), QToolButton::MenuButtonPopup);
    QVERIFY(button->menu());
    QStringList items;
    for (QAction* a : button->menu()->actions()) {
        items << m_cmds->keyOf(a) + "|" + a->text() + "|" + m_cmds->twinOf(a)->objectName();
        QCOMPARE(m_cmds->toolbarButton(m_cmds->keyOf(a)), a);
    }
    QCOMPARE(items, QStringList({"OPEN_CVT|Corvanta (*.cvt)|mnuOpen_0",
                                 "OPEN_CSV|Comma Delimited (*.csv)|mnuOpenCSV_0",
                                 "OPEN_TXT|Tab Delimited (*.txt)|mnuOpenTAB_0"}));
    QCOMPARE(m_cmds->toolbarButtonAt(0), nullptr);
    QCOMPARE(m_cmds->toolbarButtonAt(32), nullptr);
    QCOMPARE(m_cmds->toolbarButton("open"), nullptr); // keys are case-sensitive
    QCOMPARE(m_cmds->keyOf(m_cmds->action("mnuOpen_0")), QString());
}

void TestCommandTree::toolbar2()
{
    QToolBar* bar = m_window->findChild<QToolBar*>("Toolbar2");
    QCOMPARE(bar, m_cmds->toolbar2());
    QVERIFY(!bar->isVisible());
    QStringList buttons;
    for (QAction* a : bar->actions())
        buttons << m_cmds->keyOf(a) + "|" + a->toolTip() + "|" + m_cmds->twinOf(a)->objectName();
    QCOMPARE(buttons,
             QStringList({"Up|Move Row(s) Up|mnuMoveUp", "Down|Move Row(s) Down|mnuMoveDown"}));

    QSignalSpy announced(m_cmds, &CommandSet::toolbarClicked);
    int ups = 0;
    QVERIFY(m_cmds->wire("mnuMoveUp", this, [&ups] { ++ups; }));
    QVERIFY(m_cmds->toolbar2Button("Up")->isEnabled());
    QVERIFY(!m_cmds->toolbar2Button("Down")->isEnabled());
    bar->show();
    clickToolbarButton(m_cmds->toolbar2Button("Up"));
    QCOMPARE(ups, 1);
    QCOMPARE(announced.size(), 0); // Toolbar2 has its own dispatch
}

// A click announces its key, then runs the entry it twins and nothing else.
// Clicking every position in order must give exactly this trace; a button
// wired to the wrong entry, or announcing twice, breaks it.
void TestCommandTree::toolbarRoutesEveryKey()
{
    QStringList trace;
    connect(m_cmds, &CommandSet::toolbarClicked, this,
            [&trace](const QString& key) { trace << key; });
    for (QAction* a : m_window->findChildren<QAction*>()) {
        const QString name = a->objectName();
        if (!name.startsWith("mnu") || a->isSeparator() || a->menu())
            continue;
        QVERIFY(m_cmds->wire(name, this, [&trace, name] { trace << ">" + name; }));
    }
    for (const char* own :
         {"Bold", "Italic", "Underline", "A", "Acolor", "DragMode", "AlternateColor"})
        QVERIFY(m_cmds->setImplemented(QStringLiteral("tbr_") + own, true));

    for (int pos = 1; pos <= CommandTree::ToolbarPositions; ++pos) {
        QAction* a = m_cmds->toolbarButtonAt(pos);
        if (!a->isSeparator())
            clickToolbarButton(a);
    }
    const QStringList expected = {"New",
                                  ">mnuNew",
                                  "Open",
                                  ">mnuOpen_0",
                                  "Save",
                                  ">mnuSave",
                                  "Cut",
                                  ">mnuEditCut",
                                  "Copy",
                                  ">mnuEditCopy",
                                  "Paste",
                                  ">mnuEditPaste",
                                  "Find",
                                  ">mnuEditFind",
                                  "Bold",
                                  "Italic",
                                  "Underline",
                                  "A",
                                  "Acolor",
                                  "Flood",
                                  ">mnuBkColor",
                                  "RowMode",
                                  ">mnuMouseMode_0",
                                  "BlockMode",
                                  ">mnuMouseMode_1",
                                  "DragMode",
                                  "AlternateColor",
                                  "map",
                                  ">mnuTools_InternetMap",
                                  "phone",
                                  ">mnuTools_DialPhone",
                                  "email",
                                  ">mnuTools_SendMail",
                                  "website",
                                  ">mnuTools_WebLink"};
    QCOMPARE(trace, expected);
    // The mode pair ends on the last one clicked, whatever the menu did.
    QVERIFY(m_cmds->toolbarButton("BlockMode")->isChecked());
    QVERIFY(!m_cmds->toolbarButton("RowMode")->isChecked());
}

// ---------------------------------------------------------------- commands

void TestCommandTree::everyCommandStartsDisabled()
{
    int commands = 0;
    for (QAction* a : m_window->findChildren<QAction*>()) {
        if (a->isSeparator() || a->objectName().isEmpty())
            continue;
        QCOMPARE(m_cmds->action(a->objectName()), a);
        if (a->menu()) {
            // Qt reports a hidden action as disabled; the hidden mode menu is
            // enabled underneath.
            a->setVisible(true);
            // Submenus whose entries all start disabled start so too.
            static const QStringList dead = {"mnuInsert", "mnuDelete",    "mnuMove",
                                             "mnuAlign",  "mnuRowHeight", "mnuToolsCountry",
                                             "mnuRecent"};
            QVERIFY2(a->isEnabled() != dead.contains(a->objectName()), qPrintable(a->objectName()));
            continue;
        }
        QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        ++commands;
    }
    // 64 menu commands, 8 recent files, 21 toolbar buttons, 3 drop-down
    // items, 2 on Toolbar2.
    QCOMPARE(commands, 64 + 8 + 21 + 3 + 2);
}

// ---------------------------------------------------------------- icons

void TestCommandTree::iconsAreDrawnAndDistinct()
{
    QList<QAction*> buttons;
    for (int pos = 1; pos <= CommandTree::ToolbarPositions; ++pos)
        if (!m_cmds->toolbarButtonAt(pos)->isSeparator())
            buttons << m_cmds->toolbarButtonAt(pos);
    for (const char* key : {"OPEN_CVT", "OPEN_CSV", "OPEN_TXT"})
        buttons << m_cmds->toolbarButton(key);
    buttons << m_cmds->toolbar2()->actions();
    QCOMPARE(buttons.size(), 21 + 3 + 2);

    QHash<QByteArray, QString> pictures;
    for (QAction* b : buttons) {
        const QString key = m_cmds->keyOf(b);
        QVERIFY2(!b->icon().isNull(), qPrintable(key));
        // Sharp at 1x and 2x: a pixmap drawn at each size, not one scaled.
        for (int size : {16, 32}) {
            QVERIFY2(b->icon().availableSizes().contains(QSize(size, size)), qPrintable(key));
            const QImage img = b->icon().pixmap(size, size).toImage();
            QCOMPARE(img.size(), QSize(size, size));
            int inked = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    inked += qAlpha(img.pixel(x, y)) > 128;
            QVERIFY2(inked > size * size / 20, qPrintable(key));
        }
        const QImage img = b->icon().pixmap(32, 32).toImage();
        const QByteArray bits(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes());
        QVERIFY2(!pictures.contains(bits), qPrintable(key + " looks like " + pictures[bits]));
        pictures.insert(bits, key);
    }
    QVERIFY(Icons::forKey("Nonsense").isNull());
}

void TestCommandTree::fontColorBars_data()
{
    // The palette stores 0x00BBGGRR: the "red" swatch 0x0000FF is red on
    // screen, not blue.
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("0 black") << 0 << QColor(0, 0, 0);
    QTest::newRow("1 red") << 1 << QColor(255, 0, 0);
    QTest::newRow("2 dark red") << 2 << QColor(128, 0, 0);
    QTest::newRow("3 green") << 3 << QColor(0, 128, 0);
    QTest::newRow("4 dark blue") << 4 << QColor(0, 0, 128);
    QTest::newRow("5 purple") << 5 << QColor(128, 0, 128);
    QTest::newRow("6 magenta") << 6 << QColor(255, 0, 255);
    QTest::newRow("7 blue") << 7 << QColor(0, 0, 255);
}

void TestCommandTree::fontColorBars()
{
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QCOMPARE(Icons::fontColorValue(index), colour);
    const QImage img = Icons::fontColor(index).pixmap(32, 32).toImage();
    QCOMPARE(QColor(img.pixel(16, 28)), colour); // the bar under the letter
    QCOMPARE(QColor(img.pixel(10, 28)), colour);
    QVERIFY(Icons::fontColor(index - 8).isNull() && Icons::fontColor(index + 8).isNull());
    if (index == 0) // the "A" button starts with the first swatch
        QCOMPARE(m_cmds->toolbarButton("A")->icon().pixmap(32, 32).toImage(), img);
}

QTEST_MAIN(TestCommandTree)
#include "tst_commandtree.moc"
