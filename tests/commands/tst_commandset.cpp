// The registry: wiring by name, toolbar twins and the toolbar's announcement,
// exercised on the menus and toolbars the shell lays out.
#include "../support/commandwindow.h"
#include "commands/commandset.h"
#include "shell/commandtree.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace corvanta;

class TestCommandSet : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void wireEnablesAndConnects_data();
    void wireEnablesAndConnects();
    void wireRejectsNonCommands_data();
    void wireRejectsNonCommands();
    void toolbarClickPrecedesCommand_data();
    void toolbarClickPrecedesCommand();
    void modeButtonsShowTheMenuMarks();
    void hiddenMenuEntryKeepsItsButton();
    void submenuFollowsItsEntries();
    void anyCommandAnnouncesItself();

  private:
    std::unique_ptr<QMainWindow> m_window;
    CommandSet* m_cmds = nullptr;
};

void TestCommandSet::init()
{
    openCommandWindow(m_window, m_cmds);
}

void TestCommandSet::cleanup()
{
    m_window.reset();
    m_cmds = nullptr;
}

// Edit > Insert: grey while neither entry works, live once one does.
void TestCommandSet::submenuFollowsItsEntries()
{
    QAction* insert = m_cmds->menu("mnuInsert")->menuAction();
    QVERIFY(!insert->isEnabled());
    QVERIFY(m_cmds->setImplemented("mnuInsertCol", true));
    QVERIFY(insert->isEnabled());
    QVERIFY(m_cmds->setImplemented("mnuInsertCol", false));
    QVERIFY(!insert->isEnabled());
    QVERIFY(!m_cmds->menu("mnuToolsCountry")->menuAction()->isEnabled());
}

// Menu entries, shortcuts and toolbar buttons all say so before running,
// before the command's own slot.
void TestCommandSet::anyCommandAnnouncesItself()
{
    QStringList order;
    m_cmds->attach("mnuSave", this, [&] { order << "save"; });
    connect(m_cmds, &CommandSet::aboutToRun, this, [&] { order << "about"; });
    m_cmds->action("mnuSave")->trigger();
    QCOMPARE(order, (QStringList{"about", "save"}));
    order.clear();
    clickToolbarButton(m_cmds->toolbarButton("Save"));
    QCOMPARE(order.first(), QString("about"));
    QCOMPARE(order.last(), QString("save"));
}

// ---------------------------------------------------------------- wiring

static int countEnabledCommands(const QWidget* window)
{
    int n = 0;
    for (const QAction* a : window->findChildren<QAction*>())
        n += !a->isSeparator() && !a->menu() && !a->objectName().isEmpty() && a->isEnabled();
    return n;
}

void TestCommandSet::wireEnablesAndConnects_data()
{
    QTest::addColumn<QStringList>("buttons"); // keys of the toolbar twins
    QTest::newRow("mnuNew") << QStringList{"New"};
    QTest::newRow("mnuOpen_0") << QStringList{"Open", "OPEN_CVT"};
    QTest::newRow("mnuOpenTAB_0") << QStringList{"OPEN_TXT"};
    QTest::newRow("mnuSave") << QStringList{"Save"};
    QTest::newRow("mnuEditPaste") << QStringList{"Paste"};
    QTest::newRow("mnuBkColor") << QStringList{"Flood"};
    QTest::newRow("mnuTools_SendMail") << QStringList{"email"};
    QTest::newRow("mnuAbout") << QStringList{};
    QTest::newRow("tbr_Bold") << QStringList{};
}

void TestCommandSet::wireEnablesAndConnects()
{
    QFETCH(QStringList, buttons);
    const QString name = QTest::currentDataTag();
    QAction* a = m_cmds->action(name);
    int runs = 0;
    QVERIFY(m_cmds->wire(name, this, [&runs] { ++runs; }));
    QVERIFY(a->isEnabled());
    for (const QString& key : buttons) {
        QVERIFY2(m_cmds->toolbarButton(key)->isEnabled(), qPrintable(key));
        QCOMPARE(m_cmds->twinOf(m_cmds->toolbarButton(key)), a);
    }
    QCOMPARE(countEnabledCommands(m_window.get()), 1 + buttons.size()); // nothing else woke up

    a->trigger();
    for (const QString& key : buttons)
        m_cmds->toolbarButton(key)->trigger();
    QCOMPARE(runs, 1 + buttons.size());

    QVERIFY(m_cmds->setImplemented(name, false));
    QCOMPARE(countEnabledCommands(m_window.get()), 0);
    a->trigger();
    QCOMPARE(runs, 1 + buttons.size());
}

void TestCommandSet::wireRejectsNonCommands_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("unknown") << "mnuNoSuchThing";
    QTest::newRow("named separator") << "mnuSpace101";
    QTest::newRow("toolbar separator") << "tbr_Separator1";
    QTest::newRow("submenu parent") << "mnuInsert";
}

void TestCommandSet::wireRejectsNonCommands()
{
    QFETCH(QString, name);
    QAction* a = m_cmds->action(name);
    const bool wasEnabled = a && a->isEnabled();
    QVERIFY(!m_cmds->wire(name, this, [] {}));
    QVERIFY(!m_cmds->setImplemented(name, !wasEnabled));
    if (a)
        QCOMPARE(a->isEnabled(), wasEnabled);
    QCOMPARE(countEnabledCommands(m_window.get()), 0);
}

void TestCommandSet::toolbarClickPrecedesCommand_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("command");
    // clang-format off
    QTest::newRow("menu twin") << "New" << "mnuNew";
    QTest::newRow("drop-down button") << "Open" << "mnuOpen_0";
    QTest::newRow("toolbar-only") << "Bold" << "tbr_Bold";
    QTest::newRow("mode button") << "BlockMode" << "mnuMouseMode_1";
    QTest::newRow("contact tool") << "website" << "mnuTools_WebLink";
    // clang-format on
}

void TestCommandSet::toolbarClickPrecedesCommand()
{
    QFETCH(QString, key);
    QFETCH(QString, command);
    QStringList log;
    connect(m_cmds, &CommandSet::toolbarClicked, this,
            [&log](const QString& k) { log << "toolbar " + k; });
    QVERIFY(m_cmds->wire(command, this, [&log, command] { log << command; }));

    clickToolbarButton(m_cmds->toolbarButton(key));
    QCOMPARE(log, QStringList({"toolbar " + key, command}));

    if (command.startsWith("tbr_"))
        return;
    // The same command from its menu entry is not a toolbar click.
    log.clear();
    m_cmds->action(command)->trigger();
    QCOMPARE(log, QStringList({command}));
}

void TestCommandSet::modeButtonsShowTheMenuMarks()
{
    QAction* rowItem = m_cmds->action("mnuMouseMode_0");
    QAction* blockItem = m_cmds->action("mnuMouseMode_1");
    QAction* rowButton = m_cmds->toolbarButton("RowMode");
    QAction* blockButton = m_cmds->toolbarButton("BlockMode");
    // A button whose menu entry cannot run shows no mode it did not enter.
    QVERIFY(m_cmds->setImplemented("tbr_BlockMode", true));
    clickToolbarButton(blockButton);
    QVERIFY(!blockButton->isChecked() && rowButton->isChecked());

    bool refuseBlock = false;
    QVERIFY(m_cmds->wire("mnuMouseMode_0", this, [] {}));
    QVERIFY(m_cmds->wire("mnuMouseMode_1", this, [&] {
        if (refuseBlock)
            rowItem->setChecked(true);
    }));

    clickToolbarButton(blockButton);
    QVERIFY(blockItem->isChecked() && !rowItem->isChecked());
    QVERIFY(blockButton->isChecked() && !rowButton->isChecked());
    clickToolbarButton(blockButton); // a pressed mode button stays pressed
    QVERIFY(blockItem->isChecked() && blockButton->isChecked());

    rowItem->trigger(); // from the menu: the buttons follow
    QVERIFY(rowButton->isChecked() && !blockButton->isChecked());

    // The command decides; the button shows the menu's mark, not the click.
    refuseBlock = true;
    clickToolbarButton(blockButton);
    QVERIFY(rowItem->isChecked() && !blockItem->isChecked());
    QVERIFY(rowButton->isChecked() && !blockButton->isChecked());
}

void TestCommandSet::hiddenMenuEntryKeepsItsButton()
{
    // The form panel hides Cut, Paste and Find from the Edit menu; their
    // toolbar buttons stay usable.
    for (const char* key : {"Cut", "Paste", "Find"}) {
        QAction* button = m_cmds->toolbarButton(key);
        QAction* entry = m_cmds->twinOf(button);
        int runs = 0;
        QVERIFY(m_cmds->wire(entry->objectName(), this, [&runs] { ++runs; }));
        entry->setVisible(false);
        QVERIFY2(m_cmds->toolbar()->widgetForAction(button)->isVisible(), key);
        QVERIFY2(button->isEnabled(), key);
        clickToolbarButton(button);
        QCOMPARE(runs, 1);
    }
}

QTEST_MAIN(TestCommandSet)
#include "tst_commandset.moc"
