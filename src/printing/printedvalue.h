#pragma once

#include "grid/table.h"

#include <QString>
#include <QStringView>

namespace corvanta::PrintedValue {

// The text a cell prints: the stored text shown through its column's type
// and format, as the table shows it.
QString shown(const ColumnAttr& column, const QString& stored);

// Whether a Checkbox cell reads as ticked: a number equal to 1 or -1.
bool readsTrue(QStringView stored);

} // namespace corvanta::PrintedValue
