#include "files/gridfile.h"

#include "files/delimited.h"
#include "files/filestatus.h"
#include "files/nativefile.h"
#include "files/vcard.h"
#include "grid/table.h"
#include "grid/tablemodel.h"

namespace corvanta::GridFile {

FileStatus load(TableModel& model, const QString& path, FileFormat format, bool withTitles,
                Delimited::ReadInfo* info, Vcard::ReadInfo* vcardInfo)
{
    Table fresh;
    FileStatus status;
    switch (format) {
    case FileFormat::Native:
        status = NativeFile::load(path, fresh);
        break;
    case FileFormat::Vcard: {
        Vcard::ReadInfo read;
        status = Vcard::load(path, fresh, &read);
        if (status && vcardInfo)
            *vcardInfo = read;
        break;
    }
    case FileFormat::Comma:
    case FileFormat::Tab: {
        const int firstRow = withTitles ? 0 : model.fixedRows();
        if (!withTitles) {
            // Read below the title row: the titles stay as they are.
            const Table& cur = model.table();
            fresh.resize(firstRow, cur.colCount());
            for (int r = 0; r < firstRow && r < cur.rowCount(); ++r)
                for (int c = 0; c < cur.colCount(); ++c)
                    fresh.setUtf8(r, c, cur.utf8(r, c));
        }
        status = Delimited::load(path, format == FileFormat::Comma ? Delimited::kSniff : '\t',
                                 fresh, firstRow, info);
        if (status && fresh.rowCount() < firstRow)
            fresh.setRowCount(firstRow);
        break;
    }
    }
    if (status)
        model.replaceTable(std::move(fresh));
    return status;
}

FileStatus save(const TableModel& model, const QString& path, FileFormat format, bool withTitles,
                TextEncoding encoding, char delimiter, const ColumnRoles& roles)
{
    switch (format) {
    case FileFormat::Native:
        return NativeFile::save(model.table(), path);
    case FileFormat::Vcard:
        return Vcard::save(model.table(), path, roles);
    case FileFormat::Comma:
    case FileFormat::Tab:
        break;
    }
    const char sep = format == FileFormat::Tab ? '\t' : delimiter == 0 ? ',' : delimiter;
    const int firstRow = withTitles ? 0 : model.fixedRows();
    if (const std::optional<Table> text = Vcard::withoutKept(model.table()))
        return Delimited::save(*text, path, sep, firstRow, encoding);
    return Delimited::save(model.table(), path, sep, firstRow, encoding);
}

} // namespace corvanta::GridFile
