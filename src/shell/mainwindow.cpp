#include "shell/mainwindow.h"

#include "commands/commandset.h"
#include "contacts/contacttools.h"
#include "contacts/duplicatesdialog.h"
#include "editing/countcontrol.h"
#include "editing/dropbox.h"
#include "editing/editinstaller.h"
#include "editing/formpanel.h"
#include "editing/layoutcommands.h"
#include "contacts/quickfilterbar.h"
#include "files/document.h"
#include "files/filecommands.h"
#include "files/recentfiles.h"
#include "files/recoverycopy.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "printing/printcommands.h"
#include "shell/appsettings.h"
#include "shell/commandtree.h"
#include "shell/helpcommands.h"
#include "shell/icons.h"
#include "shell/settingsstore.h"
#include "shell/toolbarrows.h"
#include "sync/syncdialog.h"
#include "table/addressdefaults.h"
#include "table/cellformatcommands.h"
#include "table/columndefinecommands.h"
#include "table/edithistory.h"
#include "table/setdefaults.h"
#include "table/tablecommands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace corvanta {

namespace {

const QString kCloseQuestion =
    QStringLiteral("Changes have been made. Do you want to save the changes before exit Corvanta?");

// Splitter limits in twips: the panel is never narrower than this, and the
// splitter stays this far from the window's right edge.
constexpr int kSplitterMin = 3000;
constexpr int kSplitterRightMargin = 600;

QSize screenSize(const QWidget* w)
{
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry().size() : QSize(1024, 768);
}

// A path short enough for one line of a message box, shortened in the
// middle so that both its start and the file's name stay.
QString shortPath(const QString& path)
{
    const QFontMetrics fm(QApplication::font("QMessageBox"));
    return fm.elidedText(path, Qt::ElideMiddle, 60 * fm.averageCharWidth());
}

} // namespace

MainWindow::MainWindow(const ShellContext& ctx, QWidget* parent) : QMainWindow(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(appTitle());
    m_doc = new Document(m_ctx.programFolder, this);

    m_commands = new CommandSet(this);
    CommandTree::build(this, *m_commands);
    buildWidgets();
    buildStatusBar();
    m_history = new EditHistory(m_fa->gridModel(), this);
    m_files =
        new FileCommands(*m_doc, *m_history, m_fa, m_fb, m_fc, platform(), m_commonDialog, this);
    m_table = new TableCommands(m_fa, this);
    m_recovery = new RecoveryCopy(*m_doc, *m_fa->gridModel(),
                                  m_ctx.recoveryFolder.isEmpty() ? RecoveryCopy::defaultFolder()
                                                                 : m_ctx.recoveryFolder,
                                  this);
    m_recovery->setInterval(m_ctx.recoveryIntervalMs);
    m_recent = new RecentFiles(*m_doc, this);
    wireCommands();
    // Wiring enables Save like every other command; it starts disabled.
    showModified(m_doc->IsModified());

    // The load of the window, step by step; a step that cannot be done is
    // skipped and the window still comes up.
    setStatusPanel(1, QStringLiteral("Corvanta Address Book 1.0"));
    m_fa->SetRowCount(AddressDefaults::NewRowCount);
    updateCountBoxes();
    const WindowSettings stored = AppSettings(settings()).load(m_ctx.programFolder);
    {
        const QSize screen = screenSize(this);
        const int screenW = GridWidget::pixelsToTwips(screen.width());
        const int screenH = GridWidget::pixelsToTwips(screen.height());
        applyWindowGeometry(stored.top.value_or((screenH - stored.height) / 2),
                            stored.left.value_or((screenW - stored.width) / 2), stored.width,
                            stored.height);
        setVbarLeft(stored.vbarLeft);
        m_editing->placeAtPanelEdge(stored.vbarLeft);
    }

    m_alternateRowsOn = stored.alternateRows;
    m_dropBoxOn = stored.dropBox;
    if (QAction* a = m_commands->action(QStringLiteral("mnuEmailParser")))
        a->setChecked(m_dropBoxOn != 0);
    m_formPanel->dropBox()->setVisible(m_dropBoxOn != 0);
    m_doc->setOpenFolder(stored.openFolder);
    m_help->setShowTips(stored.showTips);
    setStatusPanel(2, QStringLiteral("US"));
    applyAlternateRows();

    SetDefaults(*m_fa, *m_fb);
    m_formPanel->setup();

    m_fa->SetDragEnabled(0);
    if (QAction* drag = m_commands->toolbarButton(QStringLiteral("DragMode")))
        drag->setChecked(false);
    m_table->mnuMouseMode_Click(0);
    for (int pos : {26, 23})
        if (QAction* a = m_commands->toolbarButtonAt(pos))
            a->setVisible(false);
    m_fa->SetRowCount(AddressDefaults::NewRowCount);
    updateCountBoxes();
    // The toolbar owns the control's visibility through its action.
    if (m_countControlAction)
        m_countControlAction->setVisible(false);
    if (QAction* a = m_commands->toolbarButtonAt(25))
        a->setVisible(false);
    m_fb->SetColumnAlign(0, AlignRight);
    m_fb->SetColumnAlign(1, AlignLeft);

    m_doc->setCurrentFile(m_doc->untitledPath());
    m_doc->setFileKind(Document::KindNative);
    m_doc->setRoles(stored.roles);

    m_fa->SetCellText(0, 0, AddressDefaults::columns().first().title);
    m_doc->setStartupFile(stored.startupFile);
    // A file that cannot be opened has been reported; the usual start follows.
    const bool named = !m_ctx.fileToOpen.isEmpty() && m_files->openNamedFile(m_ctx.fileToOpen);
    if (!named && !m_files->openStartupFile())
        m_files->NewUntitledTable();
    updateCountBoxes();
    m_formPanel->refresh();
    // Typing right away goes into the current record.
    m_fa->setFocus();
    m_loaded = true;
}

MainWindow::~MainWindow()
{
    // An edit still open goes in while everything it reaches is alive.
    commitEdits();
    // The grids outlive this object's own members while QWidget tears down
    // its children; an editor closing then must not call back into us.
    for (QObject* grid :
         {static_cast<QObject*>(m_fa), static_cast<QObject*>(m_fb), static_cast<QObject*>(m_fc)})
        grid->disconnect();
    m_fa->selectionModel()->disconnect(m_table);
    delete m_formPanel;
    m_formPanel = nullptr;
}

void MainWindow::buildWidgets()
{
    m_fa = new GridWidget(this);
    m_fa->setObjectName(QStringLiteral("fa"));
    m_fb = new GridWidget(this);
    m_fb->setObjectName(QStringLiteral("fb"));
    // The scratch grid never shows; imports and appends pass through it.
    m_fc = new GridWidget(this);
    m_fc->setObjectName(QStringLiteral("fc"));
    m_fc->hide();

    m_formPanel = new FormPanel(m_fa, m_fb, this);
    QWidget* panelSide = m_formPanel->side();

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->addWidget(panelSide);
    // The filter box sits right above the records it narrows.
    auto* records = new QWidget;
    records->setObjectName(QStringLiteral("recordsPane"));
    m_filterBar = new QuickFilterBar(m_fa, records);
    auto* recordsLayout = new QVBoxLayout(records);
    recordsLayout->setContentsMargins(0, 0, 0, 0);
    recordsLayout->setSpacing(0);
    recordsLayout->addWidget(m_filterBar);
    recordsLayout->addWidget(m_fa, 1);
    m_splitter->addWidget(records);
    m_splitter->setChildrenCollapsible(false);
    // A drag shows a line that follows the mouse; the panel and the table
    // take their new widths when the button is released.
    m_splitter->setOpaqueResize(false);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->handle(1)->setObjectName(QStringLiteral("VBar"));
    panelSide->setMinimumWidth(GridWidget::twipsToPixels(kSplitterMin));
    m_fa->setMinimumWidth(GridWidget::twipsToPixels(kSplitterRightMargin));
    setCentralWidget(m_splitter);
    // Remembered as the user drags, so that a hidden panel still comes back
    // (and is saved) where the user left it.
    connect(m_splitter, &QSplitter::splitterMoved, this,
            [this](int pos) { m_vbarLeftTwips = GridWidget::pixelsToTwips(pos); });

    // The count control sits at the window's top right, hidden until asked for.
    m_countControl = new CountControl;
    m_countControlAction =
        (new ToolbarRows(this, m_commands->toolbar2(), m_countControl))->countControlAction();
}

void MainWindow::buildStatusBar()
{
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("SBar"));
    sb->setSizeGripEnabled(true);
    const int stretch[6] = {2, 0, 0, 1, 0, 0};
    const int minWidth[6] = {0, 40, 50, 0, 70, 90};
    for (int i = 0; i < 6; ++i) {
        auto* l = new QLabel;
        l->setObjectName(QStringLiteral("SBar_%1").arg(i + 1));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(minWidth[i]);
        l->setAlignment(i == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        m_panels[i] = l;
        if (i > 0) {
            sb->addPermanentWidget(l, stretch[i]);
            continue;
        }
        // The panels fill the bar and leave no room for the bar's own
        // messages, so the status tip of the menu entry or button under
        // the pointer takes the place of panel 1 while it lasts.
        auto* tip = new QLabel;
        tip->setObjectName(QStringLiteral("SBar_Tip"));
        tip->setFrameStyle(l->frameStyle());
        tip->setAlignment(l->alignment());
        // A long path is cut off rather than widening the window.
        tip->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        auto* panel1 = new QStackedWidget;
        panel1->addWidget(l);
        panel1->addWidget(tip);
        sb->addPermanentWidget(panel1, stretch[i]);
        connect(sb, &QStatusBar::messageChanged, panel1, [panel1, tip](const QString& text) {
            tip->setText(text);
            panel1->setCurrentWidget(text.isEmpty() ? panel1->widget(0) : tip);
        });
    }
}

void MainWindow::wireCommands()
{
    CommandSet& c = *m_commands;
    // Before any command: an edit the user has typed but not yet entered
    // belongs to the document the command works on.
    connect(&c, &CommandSet::aboutToRun, this, &MainWindow::commitEdits);
    m_files->install(c);
    auto* sync = new SyncCommands(
        *m_history, [this] { return m_doc->roles(); }, settings(), this);
    sync->install(c);
    connect(sync, &SyncCommands::synced, this, [this] {
        updateCountBoxes();
        m_formPanel->refillTitles();
        m_table->fa_Click();
    });
    m_formPanel->install(c);
    (new LayoutCommands(m_countControlAction, this))->install(c);
    (new PrintCommands(m_fa, m_doc,
                       {[this](const QString& n) { return settings().read(n); },
                        [this](const QString& n, const QString& v) { settings().write(n, v); }},
                       &platform(), this))
        ->install(c);
    c.attach(QStringLiteral("mnuExit"), this, [this] { mnuExit_Click(); });
    m_help = new HelpCommands(this, platform(), settings(), m_ctx.programFolder, this);
    m_help->install(c);
    for (int i = 0; i < RecentFiles::Max; ++i)
        c.attach(QStringLiteral("mnuRecent_%1").arg(i), this, [this, i] { openRecent(i); });
    m_recent->setTexts(AppSettings(settings()).loadRecentFiles());
    showRecentFiles();
    connect(m_recent, &RecentFiles::changed, this, [this] {
        AppSettings(settings()).saveRecentFiles(m_recent->toTexts());
        showRecentFiles();
    });

    m_table->install(c);
    m_history->install(c);
    m_editing = new EditInstaller(
        {m_fa, m_fb, m_formPanel, m_doc, m_history, m_table, m_countControl, &platform(), nullptr},
        this);
    m_editing->install(c);
    connect(m_editing, &EditInstaller::selectionTextChanged, this,
            [this](const QString& text) { setStatusPanel(5, text); });
    // The panel's right-edge buttons follow a splitter drag, not a resize.
    connect(m_splitter, &QSplitter::splitterMoved, m_editing,
            [this](int pos) { m_editing->placeAtPanelEdge(GridWidget::pixelsToTwips(pos)); });
    auto* tools = new ContactTools(m_fa, *m_doc, platform(), settings(), this);
    tools->install(c);
    m_filterBar->install(c);
    auto* duplicates = new DuplicateCommands(
        m_fa, *m_history, [this] { return duplicateColumns(*m_fa, m_doc->roles()); }, this);
    duplicates->install(c);
    connect(duplicates, &DuplicateCommands::merged, this, &MainWindow::updateCountBoxes);
    connect(duplicates, &DuplicateCommands::merged, m_table, &TableCommands::fa_Click);
    connect(tools, &ContactTools::cellFound, m_table, &TableCommands::fa_Click);
    connect(tools, &ContactTools::countryChanged, this,
            [this](const QString& text) { setStatusPanel(2, text); });
    installFormatting();
    c.attach(QStringLiteral("mnuAlternateColor"), this, [this, &c] {
        m_alternateRowsOn = c.action(QStringLiteral("mnuAlternateColor"))->isChecked();
        m_fa->SetAltRowBackColor(m_alternateRowsOn ? 0xC0FFC0 : 0xFFFFFF);
    });
    c.attach(QStringLiteral("mnuGrid"), this, [this, &c] {
        m_fa->SetGridLineStyle(c.action(QStringLiteral("mnuGrid"))->isChecked() ? 1 : 0);
    });

    connect(m_doc, &Document::modifiedChanged, this, &MainWindow::showModified);
    // The history is the flag's one writer. Cleared from anywhere else the
    // flag still means "saved here": undoing back to this point is
    // unmodified. Another document's history has nothing to undo in this one.
    connect(m_doc, &Document::modifiedChanged, m_history, [this](bool modified) {
        if (!modified)
            m_history->markSaved();
    });
    connect(m_doc, &Document::loaded, m_history, &EditHistory::clear);
    connect(m_doc, &Document::reset, m_history, &EditHistory::clear);
    connect(m_history, &EditHistory::modifiedChanged, m_doc, &Document::MakeModified);
    connect(m_history, &EditHistory::replayed, m_formPanel, &FormPanel::refresh);
    // An undone append or insert changes the counts and the position text.
    connect(m_history, &EditHistory::replayed, this, &MainWindow::updateCountBoxes);
    connect(m_history, &EditHistory::replayed, m_table, &TableCommands::fa_Click);
    connect(m_files, &FileCommands::captionChanged, this, &MainWindow::setCaption);
    connect(m_files, &FileCommands::countsChanged, this, &MainWindow::updateCountBoxes);
    connect(m_files, &FileCommands::currentCellChanged, m_table, &TableCommands::fa_Click);
    connect(m_files, &FileCommands::rowModeEntered, m_table,
            [this] { m_table->mnuMouseMode_Click(0); });
    connect(m_files, &FileCommands::columnsChanged, m_formPanel, &FormPanel::refillTitles);
    connect(m_files, &FileCommands::selectionCounted, this,
            [this](const QString& text) { setStatusPanel(5, text); });
    connect(m_formPanel, &FormPanel::shown, m_table, &TableCommands::fa_Click);
    connect(m_formPanel, &FormPanel::gridFocused, m_table->colorPalette(), &QWidget::hide);
    // Panel 6 shows the position, or how many records a filter shows.
    connect(m_table, &TableCommands::positionChanged, this, [this](const QString& text) {
        m_positionText = text;
        if (!m_filterBar->isActive())
            setStatusPanel(6, text);
    });
    connect(m_filterBar, &QuickFilterBar::shownChanged, this, [this](const QString& text) {
        setStatusPanel(6, text.isEmpty() ? m_positionText : text);
    });
    // Another document starts unfiltered.
    connect(m_doc, &Document::loaded, m_filterBar, &QuickFilterBar::clear);
    connect(m_doc, &Document::reset, m_filterBar, &QuickFilterBar::clear);
    connect(m_table, &TableCommands::modeChanged, this,
            [this](TableCommands::Mode, const QString& text) { setStatusPanel(3, text); });
    connect(m_table, &TableCommands::modeChanged, m_formPanel, &FormPanel::restoreSubmenus);
    m_formPanel->setRowModeSource([this] { return m_table->isRowMode(); });
    // A panel edit still open belongs to the record it was typed for.
    connect(m_fa, &GridWidget::currentAboutToChange, m_fb, &GridWidget::commitOpenEditor);
    // Back from another program the table shows the mode's selection anew
    // (the program's own dialogs and message boxes leave it as it was).
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && m_loaded && !m_ended) {
                    m_table->fa_Click();
                    m_table->reapplyMouseMode();
                }
            });
    connect(m_table, &TableCommands::currentRecordChanged, m_formPanel, &FormPanel::refresh);
    connect(m_fa, &GridWidget::Click, m_table, &TableCommands::fa_Click);
    connect(m_fa->selectionModel(), &QItemSelectionModel::currentRowChanged, m_table,
            [this] { m_table->fa_Click(); });
}

void MainWindow::installFormatting()
{
    CellFormatCommands::Hooks hooks;
    hooks.activeGrid = [this] { return m_formPanel->activeGrid(); };
    hooks.rowMode = [this] { return m_table->isRowMode(); };
    hooks.fontColorIcon = &Icons::fontColor;
    auto* formatting =
        new CellFormatCommands(m_fa, m_fb, qobject_cast<QFrame*>(m_table->colorPalette()),
                               platform(), *m_history, std::move(hooks), this);
    formatting->setObjectName(QStringLiteral("cellFormatting"));
    formatting->install(*m_commands);
    connect(m_table, &TableCommands::currentRecordChanged, formatting,
            &CellFormatCommands::refreshTableState);
    connect(m_formPanel, &FormPanel::gridFocused, formatting, &CellFormatCommands::showStates);

    ColumnDefineCommands::Hooks defHooks;
    defHooks.roles = [this] { return m_doc->roles(); };
    defHooks.setRoles = [this](const ColumnRoles& roles) { m_doc->setRoles(roles); };
    defHooks.showColCount = [this](int cols) {
        m_countControl->showCounts(m_fa->RowCount() - 1, cols);
    };
    auto* define =
        new ColumnDefineCommands(m_fa, platform(), *m_history, std::move(defHooks), this);
    define->setObjectName(QStringLiteral("columnDefine"));
    define->install(*m_commands);
    connect(define, &ColumnDefineCommands::columnsDefined, this, [this] {
        m_formPanel->refillTitles();
        m_fb->gridModel()->refreshDisplay();
        updateCountBoxes();
        m_table->fa_Click();
    });
}

void MainWindow::applyWindowGeometry(int top, int left, int width, int height)
{
    const QSize size(GridWidget::twipsToPixels(width), GridWidget::twipsToPixels(height));
    QPoint at(GridWidget::twipsToPixels(left), GridWidget::twipsToPixels(top));
    // A stored position the user cannot reach (a screen since removed, a
    // damaged setting) would keep the window out of sight at every start.
    const QRect wanted(at, size);
    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool reachable = std::any_of(screens.begin(), screens.end(), [&](const QScreen* s) {
        const QRect seen = s->availableGeometry().intersected(wanted);
        return seen.width() >= 100 && seen.height() >= 50;
    });
    if (!reachable && QGuiApplication::primaryScreen()) {
        const QRect primary = QGuiApplication::primaryScreen()->availableGeometry();
        at = QPoint(primary.x() + std::max(0, (primary.width() - size.width()) / 2),
                    primary.y() + std::max(0, (primary.height() - size.height()) / 2));
    }
    resize(size);
    move(at);
    fitToScreen();
}

void MainWindow::fitToScreen()
{
    // A stored size larger than the screen (a damaged setting, a screen
    // since made smaller) would put the title and the menu bar out of
    // reach: the window is made to fit the available area of the screen
    // it shows most on, title bar included, and moved inside it.
    const QRect wanted(pos(), size());
    const QScreen* best = QGuiApplication::primaryScreen();
    int bestArea = -1;
    for (const QScreen* s : QGuiApplication::screens()) {
        const QRect seen = s->availableGeometry().intersected(wanted);
        const int area = seen.isEmpty() ? 0 : seen.width() * seen.height();
        if (area > bestArea) {
            best = s;
            bestArea = area;
        }
    }
    if (!best)
        return;
    const QRect area = best->availableGeometry();
    // The position is the frame's, the size the inside's. Before the window
    // is shown its frame is not known; the style's title bar height stands
    // in for it, as in Qt's own restoreGeometry.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize fitted(std::min(wanted.width(), area.width()),
                       std::max(1, std::min(wanted.height(), area.height() - titleBar)));
    // The top left corner wins where the area is too small for both ends.
    const QPoint at(
        std::max(area.left(), std::min(wanted.left(), area.right() + 1 - fitted.width())),
        std::max(area.top(),
                 std::min(wanted.top(), area.bottom() + 1 - titleBar - fitted.height())));
    if (fitted != size())
        resize(fitted);
    if (at != pos())
        move(at);
}

int MainWindow::vbarLeft() const
{
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.isEmpty() || !m_formPanel->side()->isVisible())
        return m_vbarLeftTwips;
    return GridWidget::pixelsToTwips(sizes.first());
}

void MainWindow::setVbarLeft(int twips)
{
    m_vbarLeftTwips = twips;
    const int left = GridWidget::twipsToPixels(twips);
    const int total = qMax(width(), left + 1);
    m_splitter->setSizes({left, qMax(1, total - left)});
}

void MainWindow::applyAlternateRows()
{
    QAction* a = m_commands->action(QStringLiteral("mnuAlternateColor"));
    if (a)
        a->setChecked(m_alternateRowsOn);
    // Off at start means the plain window colour.
    const QColor window = palette().color(QPalette::Base);
    const quint32 plain =
        quint32(window.red()) | quint32(window.green()) << 8 | quint32(window.blue()) << 16;
    m_fa->SetAltRowBackColor(m_alternateRowsOn ? 0xC0FFC0 : plain);
}

void MainWindow::showModified(bool modified)
{
    if (QAction* a = m_commands->action(QStringLiteral("mnuSave")))
        a->setEnabled(modified);
    if (QAction* b = m_commands->toolbarButton(QStringLiteral("Save")))
        b->setEnabled(modified);
}

void MainWindow::commitEdits()
{
    m_fa->commitOpenEditor();
    m_fb->commitOpenEditor();
}

void MainWindow::offerRecovery()
{
    const QString folder =
        m_ctx.recoveryFolder.isEmpty() ? RecoveryCopy::defaultFolder() : m_ctx.recoveryFolder;
    for (const RecoveryCopy::Found& found : RecoveryCopy::findNewer(folder)) {
        const QString name = found.documentPath == m_doc->untitledPath()
                                 ? QStringLiteral("an untitled address book")
                                 : shortPath(QDir::toNativeSeparators(found.documentPath));
        // The path on a line of its own: a message box would break it
        // wherever a "/" allows.
        const QString question =
            QStringLiteral("Corvanta did not end normally. A copy of the unsaved changes to\n%1\n"
                           "was kept at %2.\n\nRestore it? No deletes the copy.")
                .arg(name, QLocale().toString(found.written, QLocale::ShortFormat));
        const MsgAnswer answer =
            platform().messageBox(question, QString(), MsgIcon::Question, MsgButtons::YesNo);
        if (answer == MsgAnswer::No) {
            RecoveryCopy::remove(found);
            continue;
        }
        if (answer != MsgAnswer::Yes)
            continue; // closed without an answer: asked again next time
        if (const FileStatus status = m_files->restoreCopy(found); !status) {
            platform().messageBox(
                QStringLiteral("Cannot open %1.\n%2")
                    .arg(QDir::toNativeSeparators(found.copyPath), userText(status)),
                QString(), MsgIcon::Exclamation, MsgButtons::Ok);
            continue;
        }
        // Loading dropped the copy it came from; keep the changes safe
        // until they are saved again.
        RecoveryCopy::remove(found);
        m_recovery->writeNow();
        updateCountBoxes();
        m_formPanel->refresh();
        return;
    }
}

void MainWindow::showRecentFiles()
{
    const QList<RecentFiles::Entry>& entries = m_recent->entries();
    for (int i = 0; i < RecentFiles::Max; ++i) {
        QAction* a = m_commands->action(QStringLiteral("mnuRecent_%1").arg(i));
        if (!a)
            continue;
        if (i >= entries.size()) {
            a->setVisible(false);
            continue;
        }
        const QFileInfo file(entries.at(i).path);
        QString name = file.fileName();
        // A name holding "&" would lose it to an access key.
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        a->setStatusTip(QDir::toNativeSeparators(file.absolutePath()));
        a->setToolTip(QDir::toNativeSeparators(file.absoluteFilePath()));
        a->setVisible(true);
    }
}

void MainWindow::openRecent(int index)
{
    if (index < 0 || index >= m_recent->entries().size())
        return;
    const RecentFiles::Entry entry = m_recent->entries().at(index);
    if (m_files->openFile(entry.path, entry.kind, entry.titlesInFirstLine))
        return;
    platform().messageBox(QDir::toNativeSeparators(entry.path) +
                              QStringLiteral(" no longer exists. It has been removed from the "
                                             "list of recent files."),
                          QStringLiteral("Open"), MsgIcon::Exclamation, MsgButtons::Ok);
    m_recent->remove(entry.path);
}

void MainWindow::mnuExit_Click()
{
    if (!m_files->askSaveChanges(QStringLiteral("Exit")))
        return;
    SaveSettingsAndExit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    commitEdits();
    if (!m_files->askSaveChanges(QStringLiteral("Exit"), kCloseQuestion)) {
        event->ignore();
        return;
    }
    SaveSettingsAndExit();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Back from Find, which frees the table's selection while it is active;
    // any other window of ours leaves the picked rows alone.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_loaded && !m_ended &&
        !m_table->gridFollowsMode()) {
        m_table->fa_Click();
        m_table->reapplyMouseMode();
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The splitter only knows its width once the window is laid out.
    if (!m_shownOnce) {
        m_shownOnce = true;
        setVbarLeft(m_vbarLeftTwips);
        m_editing->placeAtPanelEdge(m_vbarLeftTwips);
        // Asked over the window, once it is on screen.
        QTimer::singleShot(0, this, &MainWindow::offerRecovery);
    }
}

void MainWindow::SaveSettingsAndExit()
{
    WindowSettings out;
    const QRect frame = frameGeometry();
    out.top = GridWidget::pixelsToTwips(frame.y());
    out.left = GridWidget::pixelsToTwips(frame.x());
    out.width = GridWidget::pixelsToTwips(width());
    out.height = GridWidget::pixelsToTwips(height());
    out.vbarLeft = vbarLeft();
    out.alternateRows = m_alternateRowsOn;
    out.openFolder = m_doc->OpenFolder();
    out.startupFile = m_doc->StartupFile();
    out.showTips = m_help->showTips();
    out.dropBox = m_dropBoxOn;
    out.roles = m_doc->roles();
    AppSettings(settings()).save(out);
    // Saved or declined at the question before this: either way the copy
    // of the changes has served its purpose.
    m_recovery->discard();
    m_ended = true;
    platform().endProgram();
}

void MainWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void MainWindow::setStatusPanel(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 6)
        m_panels[panel - 1]->setText(text);
}

QString MainWindow::statusPanel(int panel) const
{
    return panel >= 1 && panel <= 6 ? m_panels[panel - 1]->text() : QString();
}

void MainWindow::updateCountBoxes()
{
    m_countControl->showCounts(m_fa->RowCount() - 1, m_fa->ColCount());
}

} // namespace corvanta
