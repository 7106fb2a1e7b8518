#pragma once

#include "editing/edittargets.h"

#include <QObject>

#include <vector>

namespace corvanta {

class ClipBlock;
class CommandSet;

// Cut, Copy and Paste between the grids and the system clipboard, as plain
// text in the grids' selection text. Cut and Paste act on the table only
// and are one undoable step each.
class ClipboardCommands : public QObject
{
    Q_OBJECT
  public:
    ClipboardCommands(const EditTargets& targets, QObject* parent = nullptr);

    void install(CommandSet& commands);
    // Tests put a clipboard of their own in place of the system's.
    void setClipboard(SystemClipboard* clipboard) { m.clipboard = clipboard; }

    void copy();
    void cut();
    void paste();

  private:
    struct Range
    {
        int row1, col1, row2, col2;
    };
    // The cells Cut and Paste cover: whole rows in row mode, the block
    // otherwise.
    Range targetRange() const;
    // Writes the block over the range as one undoable step that keeps the
    // rows' texts before and after, never the table's. Rows a filter hides
    // are left alone: the block's rows go to the shown rows in turn.
    void writeRange(ClipBlock block, const Range& r, const QString& change);
    // The shown rows of the range, as ranges of their own.
    std::vector<Range> shownParts(const Range& r) const;

    EditTargets m;
};

} // namespace corvanta
