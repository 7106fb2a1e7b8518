#pragma once

// The table a vCard file makes, built a card at a time by the reader
// (vcardread.cpp) and laid out once every card is in (vcardtable.cpp).
#include "files/filestatus.h"
#include "files/vcardcolumns.h"
#include "grid/table.h"
#include "table/columnroles.h"

#include <QByteArray>
#include <QHash>

#include <memory>
#include <vector>

namespace corvanta::VcardCards {

class TableBuilder
{
  public:
    TableBuilder();
    ~TableBuilder();

    // A value of the card being read, for the column `title`. A field of a
    // column without a property (X-CORVANTA-FIELD) is `custom`; its
    // `number` tells the second field of one title in a card from the
    // first, and `xColumn` is where it stood in the table that wrote it.
    void put(const QString& title, QByteArrayView text);
    void putCustom(const QByteArray& title, int number, int xColumn, QByteArrayView text);
    // The column of `title` (or of a custom field), made when first asked
    // for: what putAt takes, so that a caller putting many records finds
    // each column once. -1 when the table has no room for another.
    int columnFor(const QString& title);
    int customColumnFor(const QByteArray& title, int number, int xColumn);
    int keptColumn();
    void putAt(int col, QByteArrayView text);
    // What the card keeps that no column shows (the hidden column's cell).
    void keep(QByteArrayView text);
    // The card's record; a card without any value makes none.
    FileStatus endCard();

    // The columns in their order, with titles, types and widths that fit
    // what they hold; `roles` learns where the street block, the phone,
    // the e-mail and the web site are.
    Table finish(ColumnRoles* roles);

  private:
    struct Col;
    int column(const QByteArray& key, const QString& title, int xColumn);
    void set(int col, QByteArrayView text);

    Table m_table;
    std::vector<Col> m_cols;
    QHash<QByteArray, int> m_index;
    std::vector<QByteArray> m_cells; // the card being read, by column
    std::vector<int> m_filled;       // its columns that hold text
    std::vector<QByteArrayView> m_views; // a record's cells on their way in
    bool m_overflow = false;
    qint64 m_card = 0;                // cards read so far         // it needs more columns than a table has
};

} // namespace corvanta::VcardCards
