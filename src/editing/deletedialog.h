#pragma once

#include <QDialog>

class QCheckBox;

namespace corvanta {

// "Delete Record": asks before the navigation bar deletes a record. It is
// made on first use and kept, hidden, until the program ends, so its "Do
// not ask me next time" box keeps its state for as long (and no longer:
// it is not saved).
class DeleteDialog : public QDialog
{
    Q_OBJECT
  public:
    enum Answer { Yes, No, Cancel, Closed };

    explicit DeleteDialog(QWidget* parent = nullptr);

    // Shows the dialog modally and hides it again after the answer.
    Answer ask();
    bool dontAsk() const;

  private:
    QCheckBox* m_chkAskDel;
    Answer m_answer = Closed;
};

} // namespace corvanta
