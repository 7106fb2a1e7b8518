#pragma once

#include <QByteArray>
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSerialPort;
class QWidget;

namespace corvanta {

class Platform;
class ValueStore;

// The modal "Dial Phone" dialog: has a Hayes modem on a serial port dial a
// number, tells the user to pick up the handset, then hangs up. Showing it
// dials at once. The wait for the modem's reply runs on the port's
// readyRead, so the window stays responsive and Cancel or closing the
// dialog ends it.
class DialDialog : public QDialog
{
    Q_OBJECT
  public:
    // Settings keys, written in this order.
    static const char* const kCommPortKey;
    static const char* const kLongDisKey;
    static const char* const kDialOneKey;
    static const char* const kLongFormKey;

    DialDialog(Platform& platform, ValueStore& settings, QWidget* parent = nullptr);
    ~DialDialog() override;

    // 0 off, 1 on: whether the long-distance prefix goes in front.
    int m_dialone = 0;
    QString longDistancePrefix() const;
    void setNumber(const QString& number);

    bool IsLongForm() const { return m_isLongForm; }
    bool isWaiting() const { return m_waiting; }
    // What is kept of the modem's reply while waiting: the line being
    // received, which may still grow into an answer.
    qsizetype pendingReplyBytes() const { return m_reply.size(); }

    void cmdDial_Click();
    void cmdCancel_Click();
    void cmdSet_Click();
    void SaveSettings();

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    enum class Outcome { Answered, Refused, Cancelled, PortLost };

    void setIdle(bool idle);
    void setStatus(const QString& text);
    void applyForm(bool longForm);
    void readReply();
    void onPortError();
    void endWait(Outcome outcome, const QString& reply = QString());
    void hangUp();

    Platform& m_platform;
    ValueStore& m_settings;
    QSerialPort* m_port = nullptr;
    QLineEdit* m_num = nullptr;
    QLineEdit* m_status = nullptr;
    QPushButton* m_dial = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_set = nullptr;
    QWidget* m_settingsPane = nullptr;
    QLineEdit* m_portText = nullptr;
    QLineEdit* m_longDis = nullptr;
    QCheckBox* m_dialOne = nullptr;

    QByteArray m_reply;
    QString m_portShown; // how messages name the port being dialled
    bool m_isLongForm = false;
    bool m_waiting = false;
    bool m_activated = false;
    bool m_unloaded = false;
};

} // namespace corvanta
