#include "editing/navigationbar.h"

#include "editing/countcommands.h"
#include "editing/deletedialog.h"
#include "editing/formpanel.h"
#include "editing/rowcolcommands.h"
#include "files/document.h"
#include "grid/gridwidget.h"
#include "table/edithistory.h"
#include "table/tablecommands.h"

#include <QEvent>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace corvanta {

namespace {

const char* const kTips[] = {"Dlete this record",   "Add one record",     "First record",
                             "Up one record",       "Down one record",    "Last record",
                             "Row Height Increase", "Row Height Decrease"};
// Faces of the buttons; first and last record use the style's own skip
// pictures.
const char16_t* const kFaces[] = {u"\u2716", u"\u271A", u"",  u"\u25B2",
                                  u"\u25BC", u"",       u"+", u"\u2212"};

// Right-edge offsets from the splitter, in twips.
constexpr int kCloseOffset = 260;
constexpr int kShorterOffset = 480;
constexpr int kTallerOffset = 680;

} // namespace

NavigationBar::NavigationBar(const EditTargets& targets, RowColCommands* rows,
                             CountCommands* counts, QObject* parent)
    : QObject(parent), m(targets), m_rows(rows), m_counts(counts)
{
    setObjectName(QStringLiteral("navigationBar"));
    QWidget* row = m.panel->buttonRow();
    const int size = row->height() - 2;
    for (int i = 0; i < 8; ++i) {
        auto* b = new QToolButton(row);
        b->setObjectName(QStringLiteral("imgBtn_%1").arg(i));
        b->setText(QString::fromUtf16(kFaces[i]));
        if (i == 2 || i == 5)
            b->setIcon(row->style()->standardIcon(i == 2 ? QStyle::SP_MediaSkipBackward
                                                         : QStyle::SP_MediaSkipForward));
        b->setToolTip(QString::fromLatin1(kTips[i]));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        // The right-edge buttons stand 200 twips apart.
        b->resize(i >= 6 ? GridWidget::twipsToPixels(kTallerOffset - kShorterOffset) : size, size);
        // Buttons 0 to 5 sit at the row's left; 6 and 7 follow the splitter.
        if (i < 6)
            b->move(2 + i * (size + 2), 1);
        b->installEventFilter(this);
        connect(b, &QToolButton::clicked, this, [this, i] { click(i); });
        m_buttons[size_t(i)] = b;
    }
    row->installEventFilter(this);
    if (auto* tabs = m.panel->side()->findChild<QTabWidget*>(QStringLiteral("TabStrip1")))
        tabs->installEventFilter(this);
}

void NavigationBar::placeAtPanelEdge(int splitterLeft)
{
    QWidget* row = m.panel->buttonRow();
    // Window twips to the row's own pixels: the row starts a frame's width
    // inside the panel, which starts at the window's left edge.
    const int inset = row->mapTo(m.panel->side(), QPoint(0, 0)).x();
    const auto place = [&](QWidget* w, int offset) {
        w->move(GridWidget::twipsToPixels(splitterLeft - offset) - inset, 1);
    };
    place(m.panel->closeButton(), kCloseOffset);
    place(m_buttons[7], kShorterOffset);
    place(m_buttons[6], kTallerOffset);
}

bool NavigationBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter) {
        for (int i = 0; i < 8; ++i)
            if (watched == m_buttons[size_t(i)])
                hover(i);
    } else if ((event->type() == QEvent::Leave || event->type() == QEvent::Enter) &&
               !qobject_cast<QToolButton*>(watched)) {
        // Out of the row, or back onto it from a button.
        leaveButtons();
    } else if (event->type() == QEvent::MouseMove && !qobject_cast<QToolButton*>(watched)) {
        // Over the tab container but outside every button.
        leaveButtons();
    }
    return QObject::eventFilter(watched, event);
}

void NavigationBar::hover(int i)
{
    if (i == m_lastHovered)
        return;
    if (m_lastHovered >= 0 && m_lastHovered < 8)
        m_buttons[size_t(m_lastHovered)]->setAutoRaise(true);
    m_buttons[size_t(i)]->setAutoRaise(false); // the border shows
    m_buttons[size_t(i)]->setToolTip(QString::fromLatin1(kTips[i]));
    m_lastHovered = i;
}

void NavigationBar::leaveButtons()
{
    if (m_lastHovered >= 0 && m_lastHovered < 8)
        m_buttons[size_t(m_lastHovered)]->setAutoRaise(true);
    m_lastHovered = kNone;
    m.panel->buttonRow()->unsetCursor();
}

void NavigationBar::click(int i)
{
    GridWidget* fa = m.fa;
    const int cur = fa->CurRow();
    const int last = fa->RowCount() - 1;
    switch (i) {
    case 0:
        deleteRecord();
        return;
    case 1:
        addRecord();
        return;
    case 2:
        goTo(1);
        return;
    case 3:
        if (cur > 1)
            goTo(cur - 1);
        return;
    case 4:
        if (cur < last)
            goTo(cur + 1);
        return;
    case 5:
        goTo(last);
        return;
    case 6:
    case 7:
        CountCommands::stepRowHeights(m.fb, i == 6 ? CountCommands::kHeightStep
                                                   : -CountCommands::kHeightStep);
        m.fb->setFocus();
        return;
    default:
        return;
    }
}

void NavigationBar::deleteRecord()
{
    const int row = m.fa->CurRow();
    if (!m_dialog || !m_dialog->dontAsk()) {
        if (!m_dialog)
            m_dialog = new DeleteDialog(m.fa->window());
        switch (m_dialog->ask()) {
        case DeleteDialog::No:
        case DeleteDialog::Cancel:
            return;
        case DeleteDialog::Closed:
            commonEnd(true);
            return;
        case DeleteDialog::Yes:
            break;
        }
    }
    if (row >= 1)
        m_rows->removeRecords({row});
    commonEnd(true);
}

void NavigationBar::addRecord()
{
    const int records = m.fa->RowCount();
    // A full table takes no record, and yet the command counts as a change.
    if (!m_counts->setRecordCount(records))
        m.history->markModified();
    goTo(records);
    m.fb->SelectRange(1, 1);
    m.fb->setFocus();
}

void NavigationBar::goTo(int row)
{
    if (row < 1 || row >= m.fa->RowCount())
        return;
    if (m.table->isRowMode())
        m.fa->SelectRange(row, 0, row, m.fa->ColCount() - 1);
    else
        m.fa->SelectRange(row, m.fa->CurCol());
    commonEnd(false);
}

void NavigationBar::commonEnd(bool deleted)
{
    m.table->fa_Click();
    if (deleted) {
        // The dialog that asked had the window's focus until now.
        m.fa->window()->activateWindow();
        m.fa->setFocus();
    }
}

} // namespace corvanta
