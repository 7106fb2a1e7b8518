#pragma once

#include <QWidget>

class QLineEdit;

namespace corvanta {

// The record and column counts, shown at the toolbar's right end.
class CountControl : public QWidget
{
    Q_OBJECT
  public:
    explicit CountControl(QWidget* parent = nullptr);

    // `records` excludes the title row.
    void showCounts(int records, int columns);

  private:
    QLineEdit* m_txtRow;
    QLineEdit* m_txtCol;
};

} // namespace corvanta
