#include "contacts/finddialog.h"

#include "contacts/findscan.h"
#include "grid/gridwidget.h"
#include "grid/tablemodel.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace corvanta {

FindDialog::FindDialog(GridWidget* fa, Platform& platform, QWidget* parent)
    : QDialog(parent), m_fa(fa), m_platform(platform)
{
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Search"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* label = new QLabel(QStringLiteral("Find text:"));
    m_text = new QLineEdit;
    m_text->setObjectName(QStringLiteral("txtSearched"));
    label->setBuddy(m_text);
    m_matchCase = new QCheckBox(QStringLiteral("Match case"));
    m_matchCase->setObjectName(QStringLiteral("chkMatchCase"));
    m_fromBeginning = new QCheckBox(QStringLiteral("Starting from the beginning"));
    m_fromBeginning->setObjectName(QStringLiteral("chkFromBeginning"));
    m_fromBeginning->setChecked(true);
    m_next = new QPushButton(QStringLiteral("&Find Next"));
    m_next->setObjectName(QStringLiteral("cmdNext"));
    auto* enterHint = new QLabel(QStringLiteral("(Enter)"));
    auto* close = new QPushButton(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("cmdClose"));
    // Enter is handled by the text box and the Find Next button alone, so
    // one key press is one step.
    for (QPushButton* b : {m_next, close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    // Two rows, so that at the main window's top right the dialog covers
    // its toolbars and little of the table.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(4);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(label);
    findRow->addWidget(m_text, 1);
    grid->addLayout(findRow, 0, 0);
    grid->addWidget(m_next, 0, 1);
    grid->addWidget(enterHint, 0, 2);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(m_matchCase);
    boxes->addWidget(m_fromBeginning);
    boxes->addStretch(1);
    grid->addLayout(boxes, 1, 0);
    grid->addWidget(close, 1, 1);
    grid->setColumnStretch(0, 1);

    m_text->installEventFilter(this);
    m_next->installEventFilter(this);
    connect(m_next, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    // A new text starts over at the top; the hits so far still count.
    connect(m_text, &QLineEdit::textChanged, this, [this] {
        m_searchCol = 0;
        m_searchRow = 1;
        m_isLastHit = false;
    });
    adjustSize();
    setFixedHeight(sizeHint().height());
}

bool FindDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_text && event->type() == QEvent::FocusIn) {
        // After the focus change has settled, or a mouse click undoes it.
        QTimer::singleShot(0, m_text, [t = m_text] { t->selectAll(); });
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_text || watched == m_next) {
                findNext();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FindDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // Whatever the mouse mode, a single found cell must be selectable.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_fa->SetSelectMode(GridWidget::SelectFree);
}

void FindDialog::findNext()
{
    const int curRow = m_fa->CurRow();
    const int curCol = m_fa->CurCol();
    if (!m_fromBeginning->isChecked()) {
        m_searchCol = std::max(m_searchCol, curCol);
        m_searchRow = std::max(m_searchRow, curRow);
    } else if (!m_isLastHit || (curCol == m_fa->ColCount() - 1 && curRow == m_fa->RowCount() - 1)) {
        m_searchCol = 0;
        m_searchRow = 1;
    }

    const FindMatcher matcher(m_text->text(), m_matchCase->isChecked());
    const FindResult result = findFrom(m_fa->table(), m_searchCol, m_searchRow, matcher);
    if (result.found()) {
        m_fa->SetSelectMode(GridWidget::SelectFree);
        m_fa->SelectRange(result.row, result.col);
        m_searchRow = result.row + 1;
        m_searchCol = result.col;
        m_isLastHit = true;
        ++m_hitCount;
        emit hit();
        showBeside(m_fa->gridModel()->cellIndex(result.row, result.col));
        return;
    }
    if (result.examinedAny)
        m_isLastHit = false;
    if (m_hitCount < 1) {
        m_platform.messageBox(QStringLiteral("Search text is not found."), QString(),
                              MsgIcon::Exclamation, MsgButtons::Ok);
    } else {
        m_platform.messageBox(QStringLiteral("The document has been searched.\r\n") +
                                  QString::number(m_hitCount) + QStringLiteral(" found."),
                              QString(), MsgIcon::Exclamation, MsgButtons::Ok);
        m_hitCount = 0;
    }
}

namespace {

// The scroll bar's values within a page of where it stands, nearest first.
QList<int> nearFirst(const QScrollBar* bar)
{
    QList<int> values{bar->value()};
    const int step = std::max(1, bar->singleStep());
    for (int d = step; d <= std::max(step, bar->pageStep()); d += step) {
        for (const int v : {bar->value() + d, bar->value() - d})
            if (v >= bar->minimum() && v <= bar->maximum())
                values << v;
    }
    return values;
}

} // namespace

void FindDialog::showBeside(const QModelIndex& hit)
{
    if (!isVisible())
        return;
    QWidget* view = m_fa->viewport();
    const QRect dialog = frameGeometry();
    // All of the cell that the view can show is in it, clear of the dialog.
    const auto inSight = [&] {
        const QRect cell = m_fa->visualRect(hit);
        const QRect seen = cell & view->rect();
        return seen.width() >= std::min(cell.width(), view->width()) &&
               seen.height() >= std::min(cell.height(), view->height()) && !seen.isEmpty() &&
               !QRect(view->mapToGlobal(seen.topLeft()), seen.size()).intersects(dialog);
    };
    if (inSight())
        return;
    // The hit's cell is under the dialog: the nearest scroll position that
    // shows it beside the dialog, up or down first, then sideways too.
    QScrollBar* rows = m_fa->verticalScrollBar();
    QScrollBar* cols = m_fa->horizontalScrollBar();
    const int row0 = rows->value();
    const int col0 = cols->value();
    const QList<int> rowValues = nearFirst(rows);
    for (const int c : nearFirst(cols)) {
        cols->setValue(c);
        for (const int r : rowValues) {
            rows->setValue(r);
            if (inSight())
                return;
        }
    }
    // Nowhere beside it (a small window): left where the view put it.
    rows->setValue(row0);
    cols->setValue(col0);
}

} // namespace corvanta
