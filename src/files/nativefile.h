#pragma once

#include <QByteArray>
#include <QString>

#include "files/filestatus.h"

namespace corvanta {

class Table;

// The native document file (.cvt): cells, titles, column attributes, cell
// formatting and row heights. The layout is described in docs/native-format.md.
namespace NativeFile {

// Encodes the whole table. Never fails.
QByteArray encode(const Table& table);
// Decodes into `out` (replacing its content). Any malformed input gives a
// failure status; `out` is then left unchanged.
FileStatus decode(QByteArrayView bytes, Table& out);

// File wrappers: save writes through AtomicFile (docs/saving.md), so a
// failure never leaves a half-written file in place of the old one, and
// what is not a writable regular file is never replaced.
FileStatus save(const Table& table, const QString& path);
FileStatus load(const QString& path, Table& out);

} // namespace NativeFile
} // namespace corvanta
