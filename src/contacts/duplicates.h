#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace corvanta {

class Table;

// Records that are probably one person, found by hashing three keys of
// each record once (never by comparing records pair by pair):
// - the e-mail address, case-blind;
// - the phone number's digits, the last 9 of them (so "+44 20 7946 0958"
//   and "020 7946 0958" meet), when it has at least 7;
// - the name's words with case, accents and punctuation ignored, in any
//   order ("Jones, Priya" and "priya jones").
// Records that share any key end up in one group, also through a third
// record ("A has B's e-mail, B has C's phone").
struct DuplicateColumns
{
    int name = 0;
    int phone = -1; // -1: not compared
    int mail = -1;
};

struct DuplicateReason
{
    enum Kind { Mail, Phone, Name };
    Kind kind;
    QString value; // as the first record of the group with this key writes it
    bool operator==(const DuplicateReason&) const = default;
};

struct DuplicateGroup
{
    std::vector<int> rows; // table rows, ascending
    QList<DuplicateReason> reasons;
};

// Groups in the order of their first record.
std::vector<DuplicateGroup> findDuplicates(const Table& table, const DuplicateColumns& columns);

// The keys on their own, for the tests of what counts as the same.
QByteArray mailKey(QStringView text);
QByteArray phoneKey(QStringView text);
QByteArray nameKey(QStringView text);

} // namespace corvanta

namespace corvanta {

// A column in which the records of a group hold more than one value: the
// different non-empty values in the order of the records.
struct MergeChoice
{
    int col;
    QStringList values;
};

// What merging `rows` has to ask, column by column. A column where only one
// value occurs (others empty) needs no choice: the kept record gets it.
std::vector<MergeChoice> mergeChoices(const Table& table, const std::vector<int>& rows);

// The merged record's text of each column: for a column of `choices` the
// value picked (index into its values), else the first non-empty one.
QStringList mergedRecord(const Table& table, const std::vector<int>& rows,
                         const std::vector<MergeChoice>& choices, const std::vector<int>& picked);

} // namespace corvanta
