#include "shell/toolbarrows.h"

#include "grid/gridwidget.h"

#include <QAction>
#include <QEvent>
#include <QMainWindow>
#include <QToolBar>

#include <algorithm>

namespace corvanta {

ToolbarRows::ToolbarRows(QMainWindow* window, QToolBar* toolbar2, QWidget* countControl)
    : QObject(window), m_window(window), m_toolbar2(toolbar2)
{
    m_row = new QToolBar(QStringLiteral("ToolbarRow2"), window);
    m_row->setObjectName(QStringLiteral("ToolbarRow2"));
    m_row->setMovable(false);
    m_row->setFloatable(false);
    m_row->setContextMenuPolicy(Qt::PreventContextMenu);
    window->addToolBarBreak(Qt::TopToolBarArea);
    window->addToolBar(Qt::TopToolBarArea, m_row);
    auto* spacer = new QWidget;
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_row->addWidget(spacer);
    m_countAction = m_row->addWidget(countControl);
    m_room = new QWidget;
    m_roomAction = m_row->addWidget(m_room);
    m_row->hide();

    connect(m_countAction, &QAction::changed, this, &ToolbarRows::arrange);
    window->installEventFilter(this);
    m_row->installEventFilter(this);
    if (m_toolbar2)
        m_toolbar2->installEventFilter(this);
    arrange();
}

bool ToolbarRows::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == m_toolbar2 && (type == QEvent::Show || type == QEvent::Hide))
        arrange();
    else if ((watched == m_window || watched == m_row) &&
             (type == QEvent::Resize || type == QEvent::Move || type == QEvent::Show))
        placeToolbar2();
    return QObject::eventFilter(watched, event);
}

void ToolbarRows::arrange()
{
    const bool bar2 = m_toolbar2 && m_toolbar2->isVisibleTo(m_window);
    m_row->setVisible(bar2 || m_countAction->isVisible());
    m_roomAction->setVisible(bar2);
    placeToolbar2();
}

void ToolbarRows::placeToolbar2()
{
    if (!m_toolbar2 || !m_toolbar2->isVisibleTo(m_window))
        return;
    // Where the style draws wider buttons than the twips hold, the bar
    // grows leftwards: both buttons stay in sight.
    const int w =
        std::max(GridWidget::twipsToPixels(kToolbar2Width), m_toolbar2->sizeHint().width());
    m_room->setFixedWidth(w);
    const QRect row = m_row->geometry();
    m_toolbar2->setGeometry(m_window->width() - w, row.y(), w, row.height());
    m_toolbar2->raise();
}

} // namespace corvanta
