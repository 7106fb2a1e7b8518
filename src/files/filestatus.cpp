#include "files/filestatus.h"

#include "grid/table.h"

namespace corvanta {

QString userText(const FileStatus& status)
{
    switch (status.code) {
    case FileStatus::Ok:
        return {};
    case FileStatus::Io:
        return status.detail;
    case FileStatus::NotNative:
        return QStringLiteral("The file is not a Corvanta document.");
    case FileStatus::Damaged:
        return QStringLiteral("The file is damaged or truncated.");
    case FileStatus::Newer:
        return QStringLiteral("The file was made by a newer version of Corvanta.");
    case FileStatus::TooLarge:
        return QStringLiteral("The table in the file is too large to open.");
    case FileStatus::BadDelimiter:
        return QStringLiteral("The delimiter cannot be a quote or a line break.");
    case FileStatus::BadFirstRow:
        return QStringLiteral("Invalid first row %1.").arg(status.detail);
    case FileStatus::TooManyRows:
        return QStringLiteral("The text has more than %1 rows.").arg(Table::kMaxRows);
    case FileStatus::TooManyFields:
        return QStringLiteral("Row %1 has more than %2 fields.")
            .arg(status.detail)
            .arg(Table::kMaxCols);
    case FileStatus::RowTooLong:
        return QStringLiteral("Row %1 holds more than 2 GB of text.").arg(status.detail);
    case FileStatus::Unencodable:
        return QStringLiteral("Row %1 holds a character that windows-1252 cannot hold.")
            .arg(status.detail);
    case FileStatus::NotRegular:
        return QStringLiteral("%1 is not a regular file").arg(status.detail);
    case FileStatus::InputTooLarge:
        return QStringLiteral("The file is larger than %1, the largest file that can be opened.")
            .arg(status.detail);
    case FileStatus::OutOfMemory:
        return QStringLiteral("Not enough memory to read the file.");
    case FileStatus::NotVcard:
        return QStringLiteral("The file holds no contacts in vCard format.");
    case FileStatus::BadLayout:
        return status.detail;
    case FileStatus::NoSuchColumn:
        return QStringLiteral("no column '%1'").arg(status.detail);
    }
    return status.detail;
}

} // namespace corvanta
