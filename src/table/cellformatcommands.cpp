#include "table/cellformatcommands.h"

#include "commands/commandset.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"
#include "table/edithistory.h"
#include "table/valueformat.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QMouseEvent>
#include <QToolBar>

namespace corvanta {

namespace {

constexpr int kStyleSettings[3] = {PropFontBold, PropFontItalic, PropFontUnderline};
const char* const kStyleKeys[3] = {"Bold", "Italic", "Underline"};
const char* const kStyleNames[3] = {"Bold", "Italic", "Underline"};
// The swatch's bevel: 1 the chosen one, 2 the others.
constexpr int kBevelSelected = 1;
constexpr int kBevelNormal = 2;

} // namespace

CellFormatCommands::CellFormatCommands(GridWidget* fa, GridWidget* fb, QFrame* palette,
                                       Platform& platform, EditHistory& history, Hooks hooks,
                                       QObject* parent)
    : QObject(parent), m_fa(fa), m_fb(fb), m_palette(palette), m_platform(platform),
      m_history(history), m_hooks(std::move(hooks))
{
    buildSwatches();
    // Typed columns show their values through their format; only the cells
    // being painted are asked for.
    m_fa->gridModel()->setDisplayText([fa](int, int col, const QString& text) {
        const ColumnAttr& a = fa->table().column(col);
        if (a.type != TypeNumber && a.type != TypeMoney && a.type != TypeDate)
            return text;
        return ValueFormat::shown(a.type, a.format, text);
    });
}

void CellFormatCommands::buildSwatches()
{
    auto* layout = new QGridLayout(m_palette);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    for (int i = 0; i < int(kSwatches.size()); ++i) {
        auto* swatch = new QFrame(m_palette);
        swatch->setObjectName(QStringLiteral("SSPanelColor_%1").arg(i));
        swatch->setFixedSize(18, 18);
        swatch->setLineWidth(2);
        swatch->setAutoFillBackground(true);
        QPalette pal = swatch->palette();
        pal.setColor(QPalette::Window, TableModel::colorFromBgr(kSwatches[size_t(i)]));
        swatch->setPalette(pal);
        swatch->installEventFilter(this);
        layout->addWidget(swatch, i / 4, i % 4);
        m_swatches[size_t(i)] = swatch;
    }
    m_palette->installEventFilter(this);
    m_palette->adjustSize();
    for (int i = 0; i < int(m_swatches.size()); ++i) {
        const int bevel = i == m_color ? kBevelSelected : kBevelNormal;
        m_swatches[size_t(i)]->setProperty("bevel", bevel);
        m_swatches[size_t(i)]->setFrameStyle(
            QFrame::Panel | (bevel == kBevelSelected ? QFrame::Sunken : QFrame::Raised));
    }
}

void CellFormatCommands::install(CommandSet& c)
{
    m_commands = &c;
    for (int style = 0; style < 3; ++style)
        c.attach(QStringLiteral("tbr_") + QLatin1String(kStyleKeys[style]), this,
                 [this, style] { toggleStyle(style); });
    c.attach(QStringLiteral("tbr_Acolor"), this, [this] { showPalette(); });
    c.attach(QStringLiteral("tbr_A"), this, [this] { applyCurrentColor(); });
    c.attach(QStringLiteral("mnuBkColor"), this, [this] { chooseBackColor(); });
    c.attach(QStringLiteral("mnuAlignLeft"), this, [this] { alignTable(AlignLeft); });
    c.attach(QStringLiteral("mnuAlignCenter"), this, [this] { alignTable(AlignCenter); });
    c.attach(QStringLiteral("mnuAlignRight"), this, [this] { alignTable(AlignRight); });
    c.followEntries(QStringLiteral("mnuAlign"));
    if (QAction* a = c.toolbarButton(QStringLiteral("A")))
        a->setProperty("imageIndex", kFirstColorImage + m_color);
    connect(m_fb, &GridWidget::Click, this, [this] { showStates(2); });
}

bool CellFormatCommands::styleState(int grid, int style) const
{
    if (grid < 1 || grid > 2 || style < 0 || style > 2)
        return false;
    return m_states[size_t(grid - 1)][size_t(style)];
}

int CellFormatCommands::targetGrid() const
{
    return m_hooks.activeGrid && m_hooks.activeGrid() == 2 ? 2 : 1;
}

CellFormatCommands::Range CellFormatCommands::tableRange() const
{
    const int row1 = m_fa->CurRow();
    const int row2 = m_fa->SelEndRow();
    if (m_hooks.rowMode && m_hooks.rowMode())
        return {row1, 0, row2, m_fa->ColCount() - 1};
    return {row1, m_fa->CurCol(), row2, m_fa->SelEndCol()};
}

CellFormatCommands::Range CellFormatCommands::panelRange() const
{
    return {m_fb->CurRow(), 1, m_fb->SelEndRow(), 1};
}

void CellFormatCommands::formatTable(const QString& what, int setting, const QVariant& value)
{
    const Range r = tableRange();
    if (r.row1 < 1 && r.row2 < 1)
        return;
    const int top = std::max(1, std::min(r.row1, r.row2));
    const int bottom = std::max(r.row1, r.row2);
    // Records a filter hides keep their formats: the user formats what is
    // in sight.
    m_history.format(what, setting, m_fa->ShownRuns(top, bottom), r.col1, r.col2, value);
}

void CellFormatCommands::toggleStyle(int style)
{
    const int grid = targetGrid();
    bool& state = m_states[size_t(grid - 1)][size_t(style)];
    // The state shown, not the cells, decides the direction.
    state = !state;
    if (grid == 1) {
        formatTable(QLatin1String(kStyleNames[style]), kStyleSettings[style], state);
        emit tableFormatted();
    } else {
        const Range r = panelRange();
        m_fb->SetCellProp(kStyleSettings[style], r.row1, r.col1, state, r.row2, r.col2);
    }
    if (m_commands)
        if (QAction* b = m_commands->toolbarButton(QLatin1String(kStyleKeys[style])))
            b->setChecked(state);
}

void CellFormatCommands::refreshTableState()
{
    for (int style = 0; style < 3; ++style)
        m_states[0][size_t(style)] =
            m_fa->CellProp(kStyleSettings[style], m_fa->CurRow(), m_fa->CurCol()).toBool();
    showStates(targetGrid());
}

void CellFormatCommands::showStates(int grid)
{
    if (!m_commands || grid < 1 || grid > 2)
        return;
    for (int style = 0; style < 3; ++style)
        if (QAction* b = m_commands->toolbarButton(QLatin1String(kStyleKeys[style])))
            b->setChecked(m_states[size_t(grid - 1)][size_t(style)]);
}

void CellFormatCommands::showPalette()
{
    QWidget* host = m_palette->parentWidget();
    QPoint at(8, 8);
    if (m_commands && m_commands->toolbar() && host) {
        QToolBar* tb = m_commands->toolbar();
        if (QWidget* button =
                tb->widgetForAction(m_commands->toolbarButton(QStringLiteral("Acolor"))))
            at = button->mapTo(host, QPoint(0, button->height()));
    }
    m_palette->adjustSize();
    m_palette->move(at);
    m_palette->raise();
    m_palette->show();
}

void CellFormatCommands::chooseSwatch(int index)
{
    if (index < 0 || index >= int(kSwatches.size()))
        return;
    m_palette->hide();
    m_color = index;
    for (int i = 0; i < int(m_swatches.size()); ++i) {
        const int bevel = i == index ? kBevelSelected : kBevelNormal;
        m_swatches[size_t(i)]->setProperty("bevel", bevel);
        m_swatches[size_t(i)]->setFrameShadow(bevel == kBevelSelected ? QFrame::Sunken
                                                                      : QFrame::Raised);
    }
    if (targetGrid() == 1) {
        formatTable(QStringLiteral("Font Color"), PropForeColor, kSwatches[size_t(index)]);
        emit tableFormatted();
    } else if (m_fb->CurRow() > 0) {
        const Range r = panelRange();
        m_fb->SetCellProp(PropForeColor, r.row1, r.col1, kSwatches[size_t(index)], r.row2, r.col2);
    }
    if (QAction* a = m_commands ? m_commands->toolbarButton(QStringLiteral("A")) : nullptr) {
        a->setProperty("imageIndex", kFirstColorImage + index);
        if (m_hooks.fontColorIcon)
            a->setIcon(m_hooks.fontColorIcon(index));
    }
}

void CellFormatCommands::applyCurrentColor()
{
    const quint32 color = kSwatches[size_t(m_color)];
    if (targetGrid() == 1) {
        formatTable(QStringLiteral("Font Color"), PropForeColor, color);
        emit tableFormatted();
    } else {
        const Range r = panelRange();
        m_fb->SetCellProp(PropForeColor, r.row1, r.col1, color, r.row2, r.col2);
    }
}

void CellFormatCommands::chooseBackColor()
{
    const int grid = targetGrid();
    GridWidget* g = grid == 1 ? m_fa : m_fb;
    const QVariant current = g->CellProp(PropBackColor, g->CurRow(), grid == 1 ? g->CurCol() : 1);
    const QColor initial =
        current.isValid() ? TableModel::colorFromBgr(current.toUInt()) : QColor(Qt::white);
    const std::optional<QColor> chosen = m_platform.chooseColor(initial);
    if (!chosen || !chosen->isValid())
        return;
    const quint32 bgr = TableModel::bgrFromColor(*chosen);
    if (grid == 1) {
        formatTable(QStringLiteral("Background Color"), PropBackColor, bgr);
        emit tableFormatted();
    } else {
        const Range r = panelRange();
        m_fb->SetCellProp(PropBackColor, r.row1, r.col1, bgr, r.row2, r.col2);
    }
}

void CellFormatCommands::alignTable(int code)
{
    // Always the table's range, whichever grid has the focus.
    formatTable(QStringLiteral("Alignment"), PropAlignment, code);
}

bool CellFormatCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && (watched == m_palette || watched->parent() == m_palette))
        static_cast<QWidget*>(watched)->setCursor(Qt::ArrowCursor);
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < int(m_swatches.size()); ++i) {
            if (watched == m_swatches[size_t(i)]) {
                chooseSwatch(i);
                return true;
            }
        }
        if (watched == m_palette) {
            m_palette->hide();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvanta
