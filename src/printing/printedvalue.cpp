#include "printing/printedvalue.h"

#include "table/valueformat.h"

namespace corvanta::PrintedValue {

QString shown(const ColumnAttr& column, const QString& stored)
{
    return ValueFormat::shown(column.type, column.format, stored);
}

bool readsTrue(QStringView stored)
{
    return ValueFormat::ticked(stored.toString());
}

} // namespace corvanta::PrintedValue
