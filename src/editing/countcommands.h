#pragma once

#include "editing/edittargets.h"

#include <QObject>

namespace corvanta {

class CommandSet;

// The count control's boxes and arrows, Edit > Add Row (the record count's
// up arrow) and the three row height entries. Count changes are one
// undoable step each; lowering a count cuts the rows or columns it drops,
// and undoing brings them back.
class CountCommands : public QObject
{
    Q_OBJECT
  public:
    // The records grid's shape has limits of its own.
    static constexpr int kMaxRecords = 200001;
    static constexpr int kMaxColumns = 201;
    static constexpr int kHeightStep = 240; // twips

    CountCommands(const EditTargets& targets, QObject* parent = nullptr);

    void install(CommandSet& commands);

    // The records' limit is kMaxRecords; tests lower it to try the bound
    // on a small table.
    void setMaxRecords(int records) { m_maxRecords = records; }

    void recordStep(int delta); // the record arrows, and Add Row for +1
    void columnStep(int delta);
    void applyRecordBox(); // Enter in txtRow
    void applyColumnBox(); // Enter in txtCol
    // The table's size as one undoable step.
    // Whether the table changed: a count it has already leaves it alone.
    bool setRecordCount(int records);
    bool setColumnCount(int columns);

    void rowHeightStep(int delta); // +/- kHeightStep on the active grid's picked rows
    // The same on one grid. Shrinking does nothing when the current row is
    // kHeightStep high or less, and no row shrinks below the height of the
    // text it holds.
    static void stepRowHeights(GridWidget* grid, int delta);
    void resetRowHeights(); // kHeightStep, or the text's height if that is more
    // The grid's font height in twips: the lowest a row is made.
    static int textHeight(const GridWidget* grid);

  private:
    // The count boxes and the position after any change of the table's
    // shape, the user's or an undo's.
    void shapeChanged();
    GridWidget* activeGrid() const;

    EditTargets m;
    int m_maxRecords = kMaxRecords;
};

} // namespace corvanta
