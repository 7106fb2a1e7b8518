#pragma once

#include "printing/pagerenderer.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;
class QToolButton;

namespace corvanta {

class GridWidget;

// "Print Sheet ": the columns to print, the orientation, the scale and the
// records, then the sheet in a print preview. The dialog stays open after
// printing.
class PrintSheetDialog : public QDialog
{
    Q_OBJECT
  public:
    PrintSheetDialog(GridWidget& records, Previewer previewer, QWidget* parent = nullptr);

    GridWidget* columnGrid() const { return m_fd; }
    // The scale's up-down buttons: +1 or -1, kept within 50 to 100.
    void stepScale(int delta);
    void cmdPrint_Click();

  protected:
    bool event(QEvent* event) override;

  private:
    void fillColumns();

    GridWidget& m_records;
    Previewer m_previewer;
    GridWidget* m_fd = nullptr;
    QRadioButton* m_landscape = nullptr;
    QLineEdit* m_scale = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_selected = nullptr;
};

} // namespace corvanta
