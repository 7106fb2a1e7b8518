#include "table/addressdefaults.h"

namespace corvanta::AddressDefaults {

const QList<Column>& columns()
{
    static const QList<Column> all = {
        {QStringLiteral("Name"), 1200},    {QStringLiteral("Street"), 1800},
        {QStringLiteral("City"), 900},     {QStringLiteral("State"), 600},
        {QStringLiteral("Zip Code"), 900}, {QStringLiteral("Phone"), 900},
        {QStringLiteral("Email"), 1300},   {QStringLiteral("Web Site"), 1300},
    };
    return all;
}

} // namespace corvanta::AddressDefaults
