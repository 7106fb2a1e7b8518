#pragma once

#include "contacts/duplicates.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace corvanta {

class CommandSet;
class EditHistory;
class GridWidget;
struct ColumnRoles;

// Tools > Find Duplicates: the groups of records that are probably one
// person, each with why it matched, and the merge of the group picked.
// The first record of a group stays where it is and takes the merged
// values; the others go. Where the records hold different values the user
// picks one (the first non-empty by default) and may keep the others in a
// new column. A merge is one step of the edit history.
class DuplicatesDialog : public QDialog
{
    Q_OBJECT
  public:
    DuplicatesDialog(GridWidget* fa, EditHistory& history, DuplicateColumns columns,
                     QWidget* parent = nullptr);

    // Finds the groups anew (the table changed since).
    void refind();
    int groupCount() const { return int(m_groups.size()); }

  signals:
    // A merge changed the table (counts, the current record).
    void merged();

  private:
    void showGroup();
    void mergeGroup();

    GridWidget* m_fa;
    EditHistory& m_history;
    DuplicateColumns m_columns;
    std::vector<DuplicateGroup> m_groups;
    std::vector<MergeChoice> m_choices;
    QTreeWidget* m_list;
    QTableWidget* m_merge;
    QLabel* m_summary;
    QPushButton* m_mergeButton;
};

// Installs Tools > Find Duplicates; `columns` says where the name, phone
// and e-mail are when it runs.
class DuplicateCommands : public QObject
{
    Q_OBJECT
  public:
    DuplicateCommands(GridWidget* fa, EditHistory& history,
                      std::function<DuplicateColumns()> columns, QWidget* parent);
    void install(CommandSet& commands);
    DuplicatesDialog* dialog() const { return m_dialog; }

  signals:
    void merged();

  private:
    GridWidget* m_fa;
    EditHistory& m_history;
    std::function<DuplicateColumns()> m_columns;
    QWidget* m_parent;
    DuplicatesDialog* m_dialog = nullptr;
};

// Where Find Duplicates looks: the column titled "Name" (the first column
// when none is), and the phone and e-mail columns of the roles.
DuplicateColumns duplicateColumns(const GridWidget& fa, const ColumnRoles& roles);

} // namespace corvanta
