#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QModelIndex;
class QPushButton;

namespace corvanta {

class GridWidget;
class Platform;

// The modeless "Search" dialog: steps the records grid's current cell from
// one cell holding the search text to the next, column by column, and sums
// up the hits when a scan reaches the end of the table.
class FindDialog : public QDialog
{
    Q_OBJECT
  public:
    FindDialog(GridWidget* fa, Platform& platform, QWidget* parent);

    // One "Find Next".
    void findNext();

    int SearchCol() const { return m_searchCol; }
    int SearchRow() const { return m_searchRow; }
    bool IsLastHit() const { return m_isLastHit; }
    int HitCount() const { return m_hitCount; }

  signals:
    // A hit became the current cell: the grid refresh runs on it.
    void hit();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Scrolls the table so that the hit's cell is not under the dialog.
    void showBeside(const QModelIndex& hit);

    GridWidget* m_fa;
    Platform& m_platform;
    QLineEdit* m_text = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_fromBeginning = nullptr;
    QPushButton* m_next = nullptr;

    int m_searchCol = 0;
    int m_searchRow = 1;
    bool m_isLastHit = false;
    int m_hitCount = 0;
};

} // namespace corvanta
