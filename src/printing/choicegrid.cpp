#include "printing/choicegrid.h"

#include "grid/gridwidget.h"
#include "printing/recordrows.h"

#include <QHeaderView>

namespace corvanta {

void setUpChoiceGrid(GridWidget& grid, int rows, const QStringList& titles,
                     const QList<int>& widths)
{
    const int cols = int(titles.size());
    grid.SetColCount(cols);
    grid.SetRowCount(rows);
    grid.SetFixedRowCount(1);
    for (int c = 0; c < cols; ++c) {
        grid.SetCellText(0, c, titles[c]);
        grid.SetColumnWidth(c, widths.value(c, 960));
    }
    grid.SetCellProp(PropFontBold, 0, 0, true, 0, cols - 1);
    grid.SetCellProp(PropForeColor, 0, 0, quint32(0xFFFFFF), 0, cols - 1);
    grid.SetCellProp(PropBackColor, 0, 0, quint32(0x008000), 0, cols - 1);
    grid.SetCellProp(PropAlignment, 0, 0, int(AlignCenter), 0, cols - 1);
    // The title row is the grid's header, which paints no cell background:
    // it gets the same green there.
    grid.horizontalHeader()->setStyleSheet(QStringLiteral(
        "QHeaderView::section { background-color: #008000; color: white; font-weight: bold;"
        " border: 0; border-right: 1px solid #006000; padding: 1px; }"));
    grid.SetColumnAlign(0, AlignCenter);
    if (rows > 1)
        grid.SetCellProp(PropFontBold, 1, 0, true, rows - 1, 0);
}

QString selectedRowsCaption(const GridWidget& records)
{
    return QStringLiteral("Slected rows (%1)").arg(selectedRecordRows(records).size());
}

} // namespace corvanta
