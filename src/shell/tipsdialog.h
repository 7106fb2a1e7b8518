#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;

namespace corvanta {

class Platform;

// "Tip of the Day": one usage tip at a time from tips.vti beside the
// program, Next and Previous to step through them, and the choice whether
// the window opens at every start. It does not block the main window.
class TipsDialog : public QDialog
{
    Q_OBJECT
  public:
    // Reads the tips from `programFolder`/tips.vti; the check box starts
    // as `showTips` says.
    TipsDialog(const QString& programFolder, bool showTips, Platform& platform,
               QWidget* parent = nullptr);

    const QStringList& tips() const { return m_tips; }
    // The number of the tip Next and Previous step from; 0 after opening.
    int current() const { return m_current; }

    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdOK_Click();

    // The rows of the tips file that are tips: column 1 holds -1, and the
    // text is the heading (column 2), a blank line, and the body (column 3).
    static QStringList readTips(const QString& path, bool* ok);

  signals:
    // Close was pressed with "Show Tips at Startup" in this state.
    void showTipsChosen(bool on);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void showTip(int number);

    QStringList m_tips;
    int m_current = 0;
    QLabel* m_tip;
    QCheckBox* m_showTips;
};

} // namespace corvanta
