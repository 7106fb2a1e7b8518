#include "files/gridfile.h"

#include "files/delimited.h"
#include "files/nativefile.h"
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

bool load(TableModel& model, const QString& path, int what, bool withTitles, QString* error)
{
    Table fresh;
    bool ok = false;
    if (what == Native) {
        ok = NativeFile::load(path, fresh, error);
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
        ok = Delimited::load(path, what == Comma ? ',' : '\t', fresh, firstRow, error);
        if (ok && fresh.rowCount() < firstRow)
            fresh.setRowCount(firstRow);
    } else if (error) {
        *error = unknownKind(what);
    }
    if (!ok)
        return false;
    model.replaceTable(std::move(fresh));
    return true;
}

bool save(const TableModel& model, const QString& path, int what, bool withTitles, QString* error)
{
    if (what == Native)
        return NativeFile::save(model.table(), path, error);
    if (what == Comma || what == Tab)
        return Delimited::save(model.table(), path, what == Comma ? ',' : '\t',
                               withTitles ? 0 : model.fixedRows(), error);
    if (error)
        *error = unknownKind(what);
    return false;
}

} // namespace corvanta::GridFile
