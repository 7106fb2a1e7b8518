#include "files/gridfile.h"

#include "files/delimited.h"
#include "files/filestatus.h"
#include "files/nativefile.h"
#include "files/vcard.h"
#include "grid/table.h"
#include "grid/tablemodel.h"

#include <QCoreApplication>

namespace corvanta::GridFile {

namespace {

QString unknownKind(int what)
{
    return QCoreApplication::translate("GridFile", "Unknown file kind %1.").arg(what);
}

} // namespace

bool load(TableModel& model, const QString& path, int what, bool withTitles, QString* error,
          Delimited::ReadInfo* info, ColumnRoles* vcardRoles)
{
    Table fresh;
    FileStatus status;
    if (what == Native) {
        status = NativeFile::load(path, fresh);
    } else if (what == Vcard) {
        Vcard::ReadInfo read;
        status = Vcard::load(path, fresh, &read);
        if (status && vcardRoles)
            *vcardRoles = read.roles;
    } else if (what == Comma || what == Tab) {
        const int firstRow = withTitles ? 0 : model.fixedRows();
        if (!withTitles) {
            // Read below the title row: the titles stay as they are.
            const Table& cur = model.table();
            fresh.resize(firstRow, cur.colCount());
            for (int r = 0; r < firstRow && r < cur.rowCount(); ++r)
                for (int c = 0; c < cur.colCount(); ++c)
                    fresh.setUtf8(r, c, cur.utf8(r, c));
        }
        status =
            Delimited::load(path, what == Comma ? Delimited::kSniff : '\t', fresh, firstRow, info);
        if (status && fresh.rowCount() < firstRow)
            fresh.setRowCount(firstRow);
    } else {
        if (error)
            *error = unknownKind(what);
        return false;
    }
    if (!status) {
        if (error)
            *error = userText(status);
        return false;
    }
    model.replaceTable(std::move(fresh));
    return true;
}

bool save(const TableModel& model, const QString& path, int what, bool withTitles, QString* error,
          TextEncoding encoding, char delimiter, const ColumnRoles& roles)
{
    if (what != Native && what != Comma && what != Tab && what != Vcard) {
        if (error)
            *error = unknownKind(what);
        return false;
    }
    if (what == Comma && delimiter == 0)
        delimiter = ',';
    const FileStatus status =
        what == Native  ? NativeFile::save(model.table(), path)
        : what == Vcard ? Vcard::save(model.table(), path, roles)
                        : Delimited::save(model.table(), path, what == Comma ? delimiter : '\t',
                                          withTitles ? 0 : model.fixedRows(), encoding);
    if (!status && error)
        *error = userText(status);
    return bool(status);
}

} // namespace corvanta::GridFile
