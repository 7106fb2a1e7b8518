#pragma once

#include <QByteArray>
#include <QString>

namespace corvanta {

class Table;

// The native document file (.cvt): cells, titles, column attributes, cell
// formatting and row heights. The layout is described in docs/native-format.md.
namespace NativeFile {

// Encodes the whole table. Never fails.
QByteArray encode(const Table& table);
// Decodes into `out` (replacing its content). Any malformed input gives false
// and an error text; `out` is then left unchanged.
bool decode(QByteArrayView bytes, Table& out, QString* error = nullptr);

// File wrappers: save writes through QSaveFile, so a failure never leaves a
// half-written file in place of the old one.
bool save(const Table& table, const QString& path, QString* error = nullptr);
bool load(const QString& path, Table& out, QString* error = nullptr);

} // namespace NativeFile
} // namespace corvanta
