#include "shell/mainwindow.h"

#include "editing/formpanel.h"
#include "files/filecommands.h"
#include "shell/settingsstore.h"
#include "shell/commandset.h"
#include "grid/gridwidget.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvanta {

namespace {

const QString kNoChangesQuestion =
    QStringLiteral("Changes have been made. Do you want to save the changes?");
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

} // namespace

MainWindow::MainWindow(const ShellContext& ctx, QWidget* parent) : QMainWindow(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(appTitle());
    CurrentFile = untitledPath();
    OpenFolder = m_ctx.programFolder;

    m_commands = new CommandSet(this);
    buildWidgets();
    buildStatusBar();
    m_formPanel = new FormPanel(m_fa, m_fb, this);
    m_files = new FileCommands(*this);
    wireCommands();
    // Wiring enables Save like every other command; it starts disabled.
    MakeModified(false);

    // The load of the window, step by step; a step that cannot be done is
    // skipped and the window still comes up.
    setStatusPanel(1, QStringLiteral("Corvanta Address Book 1.0"));
    m_fa->SetRowCount(11);
    updateCountBoxes();
    loadWindowSettings();

    AlternateRowsOn = [this] {
        const QString t = settings().read(QStringLiteral("AlternateColor"));
        return t.isEmpty() ? true : SettingsStore::toBool(t);
    }();
    DropBoxOn = readInt(QStringLiteral("EmailParser"), 1);
    if (QAction* a = m_commands->action(QStringLiteral("mnuEmailParser")))
        a->setChecked(DropBoxOn != 0);
    m_dropBox->setVisible(DropBoxOn != 0);
    {
        const QString t = settings().read(QStringLiteral("LastOpenPath"));
        OpenFolder = t.isEmpty() ? m_ctx.programFolder : t;
    }
    MapCountry = QStringLiteral("us");
    setStatusPanel(2, QStringLiteral("US"));
    applyAlternateRows();

    SetDefaults();
    m_formPanel->setup();
    m_tabStrip->setTabEnabled(1, false);

    m_fa->SetDragEnabled(0);
    if (QAction* drag = m_commands->toolbarButton(QStringLiteral("DragMode")))
        drag->setChecked(false);
    mnuMouseMode_Click(0);
    for (int pos : {26, 23})
        if (QAction* a = m_commands->toolbarButtonAt(pos))
            a->setVisible(false);
    m_txtCol->setText(QStringLiteral("10"));
    m_fa->SetRowCount(11);
    updateCountBoxes();
    // The toolbar owns the control's visibility through its action.
    if (m_countControlAction)
        m_countControlAction->setVisible(false);
    if (QAction* a = m_commands->toolbarButtonAt(25))
        a->setVisible(false);
    m_fb->SetColumnAlign(0, AlignRight);
    m_fb->SetColumnAlign(1, AlignLeft);

    CurrentFile = untitledPath();
    FileKind = KindNative;

    col_mail = readInt(QStringLiteral("col_mail"), 6);
    col_phone = readInt(QStringLiteral("col_phone"), 5);
    col_website = readInt(QStringLiteral("col_website"), 7);
    col_map = readInt(QStringLiteral("col_map"), 1);

    m_fa->SetCellText(0, 0, QStringLiteral("Name"));
    {
        const QString t = settings().read(QStringLiteral("LastOpenFilePath"));
        StartupFile = t.isEmpty() ? m_ctx.programFolder + QStringLiteral("/Sample_AB.cvt") : t;
    }
    if (!m_files->openStartupFile())
        m_files->NewUntitledTable();
    updateCountBoxes();
    m_formPanel->refresh();
    m_loaded = true;
}

MainWindow::~MainWindow()
{
    // The grids outlive this object's own members while QWidget tears down
    // its children; an editor closing then must not call back into us.
    for (QObject* grid :
         {static_cast<QObject*>(m_fa), static_cast<QObject*>(m_fb), static_cast<QObject*>(m_fc)})
        grid->disconnect();
    m_fa->selectionModel()->disconnect(this);
    delete m_formPanel;
    m_formPanel = nullptr;
}

QString MainWindow::untitledPath() const
{
    return m_ctx.programFolder + QStringLiteral("/Untitled.cvt");
}

QString MainWindow::FolderOfPath(const QString& path)
{
    const int i = path.lastIndexOf(QLatin1Char('/'));
    if (i < 0)
        return QString();
    return path.left(i + 1);
}

int MainWindow::readInt(const QString& key, int fallback) const
{
    const QString t = settings().read(key);
    return t.isEmpty() ? fallback : SettingsStore::toInt16(t);
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

    m_panelSide = new QWidget;
    m_panelSide->setObjectName(QStringLiteral("panelSide"));
    auto* side = new QVBoxLayout(m_panelSide);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(2);

    m_tabStrip = new QTabWidget;
    m_tabStrip->setObjectName(QStringLiteral("TabStrip1"));
    auto* formPage = new QWidget;
    auto* formLayout = new QVBoxLayout(formPage);
    formLayout->setContentsMargins(4, 4, 4, 4);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    auto* imgClose = new QToolButton;
    imgClose->setObjectName(QStringLiteral("imgClose"));
    imgClose->setToolTip(QStringLiteral("Close Form (F2)"));
    imgClose->setAutoRaise(true);
    imgClose->setText(QStringLiteral("\u2715"));
    closeRow->addWidget(imgClose);
    formLayout->addLayout(closeRow);
    formLayout->addWidget(m_fb);
    m_tabStrip->addTab(formPage, QStringLiteral("Form"));
    m_tabStrip->addTab(new QWidget, QString());
    side->addWidget(m_tabStrip, 1);
    connect(imgClose, &QToolButton::clicked, this, [this] {
        if (QAction* a = m_commands->action(QStringLiteral("mnuViewFb")); a && a->isChecked())
            a->trigger();
    });

    m_dropBox = new QWidget;
    m_dropBox->setObjectName(QStringLiteral("dropBox"));
    auto* drop = new QHBoxLayout(m_dropBox);
    drop->setContentsMargins(4, 0, 4, 4);
    auto* lbDropBox = new QLabel(QStringLiteral("Drop Box:"));
    lbDropBox->setObjectName(QStringLiteral("lbDropBox"));
    auto* txtDrop = new QLineEdit;
    txtDrop->setObjectName(QStringLiteral("txtDrop"));
    txtDrop->setText(QStringLiteral("Drag or copy valid Form Post text to here"));
    auto* cmdDownArrow = new QToolButton;
    cmdDownArrow->setObjectName(QStringLiteral("cmdDownArrow"));
    cmdDownArrow->setArrowType(Qt::DownArrow);
    cmdDownArrow->setEnabled(false);
    auto* cmdEraser = new QToolButton;
    cmdEraser->setObjectName(QStringLiteral("cmdEraser"));
    cmdEraser->setText(QStringLiteral("\u232B"));
    cmdEraser->setEnabled(false);
    drop->addWidget(lbDropBox);
    drop->addWidget(txtDrop, 1);
    drop->addWidget(cmdDownArrow);
    drop->addWidget(cmdEraser);
    side->addWidget(m_dropBox);

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->addWidget(m_panelSide);
    m_splitter->addWidget(m_fa);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->handle(1)->setObjectName(QStringLiteral("VBar"));
    m_panelSide->setMinimumWidth(GridWidget::twipsToPixels(kSplitterMin));
    m_fa->setMinimumWidth(GridWidget::twipsToPixels(kSplitterRightMargin));
    setCentralWidget(m_splitter);

    // The count control sits at the toolbar's right end, hidden until asked for.
    m_countControl = new QWidget;
    m_countControl->setObjectName(QStringLiteral("countControl"));
    auto* cc = new QHBoxLayout(m_countControl);
    cc->setContentsMargins(8, 0, 4, 0);
    auto* lbRows = new QLabel(QStringLiteral("Rows"));
    lbRows->setObjectName(QStringLiteral("SSPanel1_0"));
    m_txtRow = new QLineEdit;
    m_txtRow->setObjectName(QStringLiteral("txtRow"));
    m_txtRow->setValidator(new QIntValidator(0, 200001, m_txtRow));
    m_txtRow->setMaximumWidth(70);
    m_txtRow->setReadOnly(true);
    auto* lbCols = new QLabel(QStringLiteral("Columns"));
    lbCols->setObjectName(QStringLiteral("SSPanel1_1"));
    m_txtCol = new QLineEdit;
    m_txtCol->setObjectName(QStringLiteral("txtCol"));
    m_txtCol->setValidator(new QIntValidator(1, 201, m_txtCol));
    m_txtCol->setMaximumWidth(50);
    m_txtCol->setReadOnly(true);
    cc->addWidget(lbRows);
    cc->addWidget(m_txtRow);
    cc->addWidget(lbCols);
    cc->addWidget(m_txtCol);
    if (QToolBar* tb = m_commands->toolbar()) {
        auto* spacer = new QWidget;
        spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        tb->addWidget(spacer);
        m_countControlAction = tb->addWidget(m_countControl);
    }
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
        sb->addPermanentWidget(l, stretch[i]);
        m_panels[i] = l;
    }
}

void MainWindow::wireCommands()
{
    CommandSet& c = *m_commands;
    FileCommands* f = m_files;
    c.wire(QStringLiteral("mnuNew"), this, [f] { f->mnuNew_Click(); });
    c.wire(QStringLiteral("mnuOpen_0"), this, [f] { f->mnuOpen_Click(0); });
    for (int i = 0; i < 2; ++i) {
        c.wire(QStringLiteral("mnuOpenCSV_%1").arg(i), this, [f, i] { f->mnuOpenCSV_Click(i); });
        c.wire(QStringLiteral("mnuOpenTAB_%1").arg(i), this, [f, i] { f->mnuOpenTAB_Click(i); });
    }
    c.wire(QStringLiteral("mnuSave"), this, [f] { f->mnuSave_Click(); });
    c.wire(QStringLiteral("mnuSaveAsCVT"), this, [f] { f->mnuSaveAsCVT_Click(); });
    c.wire(QStringLiteral("mnuSaveAsComma"), this, [f] { f->mnuSaveAsComma_Click(); });
    c.wire(QStringLiteral("mnuSaveAsTab"), this, [f] { f->mnuSaveAsTab_Click(); });
    c.wire(QStringLiteral("mnuExit"), this, [this] { mnuExit_Click(); });

    c.wire(QStringLiteral("mnuMouseMode_0"), this, [this] { mnuMouseMode_Click(0); });
    c.wire(QStringLiteral("mnuMouseMode_1"), this, [this] { mnuMouseMode_Click(1); });
    c.wire(QStringLiteral("tbr_DragMode"), this, [this, &c] {
        const bool on = c.toolbarButton(QStringLiteral("DragMode"))->isChecked();
        if (QAction* a = c.action(QStringLiteral("mnuDragDrop")))
            a->setChecked(on);
        m_fa->SetDragEnabled(on ? 1 : 0);
    });

    c.wire(QStringLiteral("mnuViewFb"), this, [this, &c] {
        // The item's check mark has already flipped: it says what to show.
        const bool show = c.action(QStringLiteral("mnuViewFb"))->isChecked();
        m_panelSide->setVisible(show);
        m_formPanel->setActive(show);
        if (show)
            fa_Click();
    });
    c.wire(QStringLiteral("mnuAlternateColor"), this, [this, &c] {
        AlternateRowsOn = c.action(QStringLiteral("mnuAlternateColor"))->isChecked();
        m_fa->SetAltRowBackColor(AlternateRowsOn ? 0xC0FFC0 : 0xFFFFFF);
    });
    c.wire(QStringLiteral("mnuGrid"), this, [this, &c] {
        m_fa->SetGridLineStyle(c.action(QStringLiteral("mnuGrid"))->isChecked() ? 1 : 0);
    });

    connect(&c, &CommandSet::toolbarClicked, this, &MainWindow::onToolbarClicked);
    connect(m_fa, &GridWidget::Click, this, &MainWindow::fa_Click);
    connect(m_fa, &GridWidget::cellEdited, this, [this] { MakeModified(true); });
    connect(m_formPanel, &FormPanel::recordEdited, this, [this] { MakeModified(true); });
    connect(m_fa->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { fa_Click(); });
}

void MainWindow::onToolbarClicked(const QString&)
{
    // Every toolbar click first closes the colour palette; the palette
    // arrives with cell formatting, so there is nothing to close yet.
}

void MainWindow::loadWindowSettings()
{
    const int w = readInt(QStringLiteral("WIDTH"), 8888);
    const int h = readInt(QStringLiteral("HEIGHT"), 6600);
    const QSize screen = screenSize(this);
    const int screenW = GridWidget::pixelsToTwips(screen.width());
    const int screenH = GridWidget::pixelsToTwips(screen.height());
    const int top = readInt(QStringLiteral("TOP"), (screenH - h) / 2);
    const int left = readInt(QStringLiteral("LEFT"), (screenW - w) / 2);
    resize(GridWidget::twipsToPixels(w), GridWidget::twipsToPixels(h));
    move(GridWidget::twipsToPixels(left), GridWidget::twipsToPixels(top));
    setVbarLeft(readInt(QStringLiteral("VBarLeft"), 3570));
}

int MainWindow::vbarLeft() const
{
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.isEmpty() || !m_panelSide->isVisible())
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
        a->setChecked(AlternateRowsOn);
    // Off at start means the plain window colour.
    const QColor window = palette().color(QPalette::Base);
    const quint32 plain =
        quint32(window.red()) | quint32(window.green()) << 8 | quint32(window.blue()) << 16;
    m_fa->SetAltRowBackColor(AlternateRowsOn ? 0xC0FFC0 : plain);
}

void MainWindow::SetDefaults()
{
    m_fa->SetFixedRowCount(1);
    m_fa->SetRowCount(50);
    m_fa->SetColCount(10);
    m_fa->setToolTip(QString());
    m_fa->SetColumnAlign(-1, AlignGeneral);
    m_fa->SetFixedColCount(0);
    static const struct
    {
        const char* title;
        int width;
    } cols[] = {{"Name", 1200},    {"Street", 1800}, {"City", 900},   {"State", 600},
                {"Zip Code", 900}, {"Phone", 900},   {"Email", 1300}, {"Web Site", 1300}};
    for (int c = 0; c < 8; ++c) {
        m_fa->SetCellText(0, c, QString::fromLatin1(cols[c].title));
        m_fa->SetColumnWidth(c, cols[c].width);
    }
    m_fb->SetColumnAlign(-1, AlignLeftTop);
    m_fb->SetCurCol(1);
}

void MainWindow::MakeModified(bool bWhat)
{
    IsModified = bWhat;
    if (QAction* a = m_commands->action(QStringLiteral("mnuSave")))
        a->setEnabled(bWhat);
    if (QAction* b = m_commands->toolbarButton(QStringLiteral("Save")))
        b->setEnabled(bWhat);
}

void MainWindow::fa_Click()
{
    const int row = m_fa->CurRow();
    const int col = m_fa->CurCol();
    static const struct
    {
        const char* key;
        int setting;
    } styles[] = {
        {"Bold", PropFontBold}, {"Italic", PropFontItalic}, {"Underline", PropFontUnderline}};
    for (const auto& s : styles) {
        const bool on = m_fa->CellProp(s.setting, row, col).toBool();
        if (QAction* b = m_commands->toolbarButton(QString::fromLatin1(s.key)))
            b->setChecked(on);
    }
    setStatusPanel(6, QString::number(row) + QStringLiteral(" / ") +
                          QString::number(m_fa->RowCount() - 1));
    m_formPanel->refresh();
}

void MainWindow::mnuMouseMode_Click(int index)
{
    if (index != 0 && index != 1)
        return;
    const bool rowMode = index == 0;
    // The toolbar's RowMode and BlockMode buttons mirror these marks.
    if (QAction* a = m_commands->action(QStringLiteral("mnuMouseMode_0")))
        a->setChecked(rowMode);
    if (QAction* a = m_commands->action(QStringLiteral("mnuMouseMode_1")))
        a->setChecked(!rowMode);
    setStatusPanel(3, rowMode ? QStringLiteral("ROW") : QStringLiteral("EDIT"));
    m_fa->SetSelectMode(rowMode ? GridWidget::SelectWholeRows : GridWidget::SelectFree);
    if (rowMode)
        m_fa->SelectRange(m_fa->CurRow(), 0, m_fa->CurRow(), m_fa->ColCount() - 1);
}

bool MainWindow::askSaveChanges(const QString& title, const QString& message)
{
    if (!IsModified)
        return true;
    const MsgAnswer a =
        platform().messageBox(message, title, MsgIcon::Question, MsgButtons::YesNoCancel, 3);
    if (a == MsgAnswer::Cancel)
        return false;
    if (a == MsgAnswer::Yes)
        m_files->mnuSave_Click();
    return true;
}

void MainWindow::mnuExit_Click()
{
    if (!askSaveChanges(QStringLiteral("Exit")))
        return;
    SaveSettingsAndExit();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    if (!askSaveChanges(QStringLiteral("Exit"), kCloseQuestion)) {
        event->ignore();
        return;
    }
    SaveSettingsAndExit();
    event->accept();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_loaded && !m_ended) {
        fa_Click();
        QAction* rowItem = m_commands->action(QStringLiteral("mnuMouseMode_0"));
        if (rowItem && rowItem->isChecked()) {
            m_fa->SetSelectMode(GridWidget::SelectWholeRows);
            m_fa->SelectRange(m_fa->CurRow(), 0, m_fa->CurRow(), m_fa->ColCount() - 1);
        } else {
            m_fa->SetSelectMode(GridWidget::SelectFree);
        }
    }
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The splitter only knows its width once the window is laid out.
    if (!m_shownOnce) {
        m_shownOnce = true;
        setVbarLeft(m_vbarLeftTwips);
    }
}

void MainWindow::SaveSettingsAndExit()
{
    SettingsStore& s = settings();
    const QRect frame = frameGeometry();
    s.write(QStringLiteral("TOP"), SettingsStore::fromNumber(GridWidget::pixelsToTwips(frame.y())));
    s.write(QStringLiteral("LEFT"),
            SettingsStore::fromNumber(GridWidget::pixelsToTwips(frame.x())));
    s.write(QStringLiteral("WIDTH"), SettingsStore::fromNumber(GridWidget::pixelsToTwips(width())));
    s.write(QStringLiteral("HEIGHT"),
            SettingsStore::fromNumber(GridWidget::pixelsToTwips(height())));
    s.write(QStringLiteral("VBarLeft"), SettingsStore::fromNumber(vbarLeft()));
    s.write(QStringLiteral("AlternateColor"), SettingsStore::fromBool(AlternateRowsOn));
    s.write(QStringLiteral("LastOpenPath"), OpenFolder);
    s.write(QStringLiteral("LastOpenFilePath"), StartupFile);
    s.write(QStringLiteral("ShowTips"), SettingsStore::fromBool(ShowTips));
    s.write(QStringLiteral("EmailParser"), QString::number(DropBoxOn));
    s.write(QStringLiteral("col_mail"), QString::number(col_mail));
    s.write(QStringLiteral("col_website"), QString::number(col_website));
    s.write(QStringLiteral("col_map"), QString::number(col_map));
    s.write(QStringLiteral("col_phone"), QString::number(col_phone));
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
    m_txtRow->setText(QString::number(m_fa->RowCount() - 1));
    m_txtCol->setText(QString::number(m_fa->ColCount()));
}

} // namespace corvanta
