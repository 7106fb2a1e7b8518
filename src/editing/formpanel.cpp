#include "editing/formpanel.h"

#include "grid/gridwidget.h"

#include <QHeaderView>

namespace corvanta {

FormPanel::FormPanel(GridWidget* fa, GridWidget* fb, QObject* parent)
    : QObject(parent), m_fa(fa), m_fb(fb)
{
    connect(m_fa, &GridWidget::cellEdited, this, &FormPanel::onTableEdited);
    connect(m_fb, &GridWidget::cellEdited, this, &FormPanel::onPanelEdited);
}

void FormPanel::setup()
{
    m_fb->SetFixedRowCount(1);
    m_fb->SetColCount(2);
    m_fb->SetRowCount(m_fa->ColCount() + 1);
    m_fb->SetCellText(0, 0, QStringLiteral("Column"));
    m_fb->SetCellText(0, 1, QStringLiteral("Value"));
    m_fb->SetColumnWidth(0, 1300);
    m_fb->SetColumnAlign(0, AlignRight);
    m_fb->SetColumnAlign(1, AlignLeft);
    m_fb->SetSelectMode(GridWidget::SelectWholeRows);
    // The value column always fills the rest of the panel.
    m_fb->horizontalHeader()->setStretchLastSection(true);
}

void FormPanel::refillTitles()
{
    const int cols = m_fa->ColCount();
    m_fb->SetRowCount(cols + 1);
    for (int i = 0; i < cols; ++i)
        m_fb->SetCellText(i + 1, 0, m_fa->CellText(0, i));
    m_populated = true;
    m_titlesStale = false;
    refresh();
}

void FormPanel::refresh()
{
    if (!m_active)
        return;
    const int cols = m_fa->ColCount();
    if (m_fb->RowCount() != cols + 1)
        m_fb->SetRowCount(cols + 1);
    if (!m_populated || m_titlesStale) {
        for (int i = 0; i < cols; ++i)
            m_fb->SetCellText(i + 1, 0, m_fa->CellText(0, i));
        m_populated = true;
        m_titlesStale = false;
    }
    const int row = m_fa->CurRow();
    m_syncing = true;
    for (int i = 0; i < cols; ++i)
        m_fb->SetCellText(i + 1, 1, row >= 1 ? m_fa->CellText(row, i) : QString());
    m_syncing = false;
}

void FormPanel::setActive(bool on)
{
    m_active = on;
    if (on)
        refresh();
}

void FormPanel::onTableEdited(int row, int col)
{
    if (m_syncing || row != m_fa->CurRow())
        return;
    m_syncing = true;
    m_fb->SetCellText(col + 1, 1, m_fa->CellText(row, col));
    m_syncing = false;
}

void FormPanel::onPanelEdited(int row, int col)
{
    if (m_syncing || row < 1 || col != 1)
        return;
    const int record = m_fa->CurRow();
    if (record < 1)
        return;
    m_syncing = true;
    m_fa->SetCellText(record, row - 1, m_fb->CellText(row, col));
    m_syncing = false;
    emit recordEdited();
}

} // namespace corvanta
