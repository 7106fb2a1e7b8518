#pragma once

#include "grid/editrecorder.h"

#include <QObject>
#include <QPersistentModelIndex>

namespace corvanta {

class GridWidget;
class TableModel;

// The panel grid as a view of one record of the table: panel row r + 1
// shows table column r, its title on the left and the record's value on
// the right. Everything the panel shows follows from the table model's
// own signals, so no command has to tell the panel what it changed; and
// the panel's model records its user's edits here, which hands them to
// the table's history as edits of the record.
//
// The panel grid keeps a model of its own rather than a proxy of the
// table's: a grid works on the table storage of its model (its row
// heights, formats and check boxes live there), and the panel's row
// heights and its own formatting belong to the panel, not the document.
// That model holds no state of the record: it is rewritten from the table
// on every change, its rows move as the table's columns move (taking the
// panel's heights and formatting along), and nothing writes to it
// otherwise.
class PanelRecord : public QObject, public EditRecorder
{
    Q_OBJECT
  public:
    PanelRecord(GridWidget* fa, GridWidget* fb, QObject* parent = nullptr);
    ~PanelRecord() override;

    // Lays the panel out for the table as it is and follows it from now
    // on; the panel's title row and columns must be set up already.
    void follow();
    // A hidden panel shows nothing new (its rows still go where the
    // table's columns go); shown again, it shows the current record.
    void setShown(bool shown);
    // The table row the panel shows; 0 or less when it shows none.
    int record() const;

    // --- EditRecorder: edits made in the panel grid ---
    void setText(int row, int col, const QString& text) override;
    bool setViewCheck(int row, int col, bool checked) override;
    // The panel offers no drag and drop and no paste, and its rows move
    // only as the table's columns do.
    void writeBlock(const ClipBlock&, int, int, int, int, const QString&) override {}
    void moveBlock(int, int, int, int, int, int) override {}
    void moveColumn(int, int) override {}

  private:
    void followCurrent();
    // The panel's rows for the table's columns: as many, with the titles.
    void reshape();
    void showTitles(int first, int last);
    void showValues(int first, int last);
    void showAllValues();
    // The table's column count changed by `delta` from `first`: the
    // panel's rows follow when they matched the columns before.
    bool shapeMatches(int delta) const;
    // The table's column `col` of the shown record, as the panel keeps it.
    void showValue(int col);
    void writeValue(int col, const QString& value);
    QString formatValue(int col, const QString& text) const;

    GridWidget* m_fa;
    GridWidget* m_fb;
    TableModel* m_table;
    TableModel* m_panel;
    // The record shown: the table's current row, held while an editor is
    // open in the panel so that the edit reaches the record it was typed
    // for, wherever that record has moved meanwhile (or nowhere, when it
    // was deleted).
    QPersistentModelIndex m_record;
    bool m_following = false;
    bool m_shown = true;
};

} // namespace corvanta
