#pragma once

#include "files/filestatus.h"

#include <QByteArrayView>

namespace corvanta {

class Table;

// A small text file of column and cell attributes that the converter lays
// over a table: the widths, types and formats a delimited file cannot hold.
// The syntax is described in docs/convert.md.
class LayoutFile
{
  public:
    // Applies every line of `text` (UTF-8) to `table`. A bad line gives
    // BadLayout with "line N: reason", and `table` is then unchanged.
    static FileStatus apply(QByteArrayView text, Table& table);
};

} // namespace corvanta
