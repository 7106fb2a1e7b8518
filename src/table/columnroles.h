#pragma once

namespace corvanta {

// Which column of the address table holds what the contact tools need:
// 0-based column indexes of the mail address, the phone number, the web
// site and the street address that the map looks up.
struct ColumnRoles
{
    int mail = 6;
    int phone = 5;
    int website = 7;
    int map = 1;

    friend bool operator==(const ColumnRoles&, const ColumnRoles&) = default;
};

} // namespace corvanta
