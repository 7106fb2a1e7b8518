#pragma once

#include <QWidget>

class QLineEdit;

namespace corvanta {

// The record and column counts, shown at the toolbar's right end: the boxes
// `txtRow` and `txtCol`, each with its pair of arrows (`UpDownRow`,
// `UpDownCol`). The boxes take typed digits only, beside the editing keys
// of any text box; what a count means is the business of whoever listens.
class CountControl : public QWidget
{
    Q_OBJECT
  public:
    explicit CountControl(QWidget* parent = nullptr);

    // `records` excludes the title row.
    void showCounts(int records, int columns);

    QString rowText() const;
    QString colText() const;
    void setRowText(const QString& text);
    void setColText(const QString& text);

  signals:
    void rowEntered();          // Enter in txtRow
    void colEntered();          // Enter in txtCol
    void rowStepped(int delta); // +1 up arrow, -1 down arrow
    void colStepped(int delta);
    void keyRefused(); // a typed character other than a digit

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* makeArrows(const QString& name, void (CountControl::*stepped)(int));

    QLineEdit* m_txtRow;
    QLineEdit* m_txtCol;
};

} // namespace corvanta
