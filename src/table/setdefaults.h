#pragma once

namespace corvanta {

class GridWidget;

// Lays the records grid `fa` out as a fresh address table (titles, widths,
// alignment) and resets the form panel's grid `fb` to match.
void SetDefaults(GridWidget& fa, GridWidget& fb);

} // namespace corvanta
