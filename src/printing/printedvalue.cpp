#include "printing/printedvalue.h"

namespace corvanta::PrintedValue {

QString shown(const ColumnAttr& column, const QString& stored)
{
    Q_UNUSED(column);
    return stored;
}

bool readsTrue(QStringView stored)
{
    bool ok = false;
    const double v = stored.trimmed().toDouble(&ok);
    return ok && (v == 1.0 || v == -1.0);
}

} // namespace corvanta::PrintedValue
