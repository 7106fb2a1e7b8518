#pragma once

#include <QString>

#include <optional>

namespace corvanta {

// The formats a document is read from and written in. The numbers are the
// file kinds the recent files, the recovery notes and the settings keep,
// so they never change.
enum class FileFormat : int { Native = 2, Comma = 3, Tab = 4, Vcard = 5 };

// The format a file's name says, by its extension, whatever its case:
// .cvt (and the tips' .vti and the older .qrf) native, .csv comma text,
// .txt, .tsv and .tab TAB text, .vcf and .vcard vCard; none for any other.
std::optional<FileFormat> formatOfPath(const QString& path);

} // namespace corvanta
