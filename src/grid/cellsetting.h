#pragma once

namespace corvanta {

// The settings a cell can carry, by the codes the grid's callers and stored
// macros use for them (CellProp / SetCellProp).
enum CellSetting : int {
    PropText = 0,
    PropAlignment = 2,
    PropBackColor = 6,
    PropForeColor = 7,
    PropFontSize = 12,
    PropFontBold = 13,
    PropFontItalic = 14,
    PropFontUnderline = 15,
};

// The state of a cell's check box.
enum CheckState : int {
    CheckNone = 0, // the cell shows no box
    CheckChecked = 1,
    CheckUnchecked = 2,
};

} // namespace corvanta
