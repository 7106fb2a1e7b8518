#pragma once

#include "editing/edittargets.h"

#include <QObject>

namespace corvanta {

// What the user does with the table's column titles: a click sorts the
// records by that column (ascending, then descending on the next click),
// and a drag moves the column. Both are one undoable step. The title of
// the last sorted column carries the sort arrow.
class SortCommands : public QObject
{
    Q_OBJECT
  public:
    SortCommands(const EditTargets& targets, QObject* parent = nullptr);

    // Sorts every record by the column, one undoable step.
    void sortBy(int col, bool ascending);

    // The column carrying the arrow, -1 for none, and its direction.
    int lastSorted() const { return m_lastSorted; }
    bool lastAscending() const { return m_ascending; }

  private:
    void titleClicked(int col);
    void showArrow(int col, bool ascending);

    EditTargets m;
    int m_lastSorted = -1;
    bool m_ascending = true;
};

} // namespace corvanta
