#include "table/setdefaults.h"

#include "grid/gridwidget.h"
#include "table/addressdefaults.h"

namespace corvanta {

void SetDefaults(GridWidget& fa, GridWidget& fb)
{
    fa.SetFixedRowCount(1);
    fa.SetRowCount(AddressDefaults::LayoutRowCount);
    fa.SetColCount(AddressDefaults::ColCount);
    fa.setToolTip(QString());
    fa.SetColumnAlign(-1, AlignGeneral);
    fa.SetFixedColCount(0);
    const auto& cols = AddressDefaults::columns();
    for (int c = 0; c < cols.size(); ++c) {
        fa.SetCellText(0, c, cols[c].title);
        fa.SetColumnWidth(c, cols[c].width);
    }
    fb.SetColumnAlign(-1, AlignLeftTop);
    // The panel's titles read as labels of the values beside them, in a
    // new document as at start.
    fb.SetColumnAlign(0, AlignRight);
    fb.SetCurCol(1);
}

} // namespace corvanta
