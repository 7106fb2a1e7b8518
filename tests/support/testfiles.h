#pragma once

#include "grid/table.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>

namespace corvanta {

// Files and tables as the tests write them down; UI-free, so the core
// tests use them too.

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A table of `rows`, `cols` columns wide; by default as wide as the widest
// row, shorter rows left empty at their end.
inline Table tableOf(const QList<QStringList>& rows, int cols = -1)
{
    if (cols < 0) {
        cols = 0;
        for (const QStringList& row : rows)
            cols = std::max(cols, int(row.size()));
    }
    Table t(int(rows.size()), cols);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            t.setText(r, c, rows[r][c]);
    return t;
}

} // namespace corvanta
