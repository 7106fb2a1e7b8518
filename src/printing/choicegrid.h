#pragma once

#include <QList>
#include <QStringList>

class QRadioButton;

namespace corvanta {

class GridWidget;

// Lays out a dialog's choice grid: the titles in row 0, bold, white on
// green and centred, and the column widths in twips.
void setUpChoiceGrid(GridWidget& grid, int rows, const QStringList& titles,
                     const QList<int>& widths);

// The caption of the "selected rows" option, with the number of rows it
// prints.
QString selectedRowsCaption(const GridWidget& records);

} // namespace corvanta
