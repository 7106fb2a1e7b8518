#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace corvanta {

// A Hayes modem on a pseudo-terminal, for the dialer's tests: the code under
// test opens portPath() like a serial port, and the simulator answers each
// dial command with the scripted reply on the master side.
class ModemSim : public QObject
{
    Q_OBJECT
  public:
    // One piece of a reply, sent `delayMs` after the previous one.
    struct Piece
    {
        int delayMs;
        QByteArray bytes;
    };

    explicit ModemSim(QObject* parent = nullptr);
    ~ModemSim() override;

    // False when the system gives no pseudo-terminal.
    bool isOpen() const { return m_master >= 0; }
    QString portPath() const { return m_slavePath; }
    // The modem goes away as an unplugged one does: its side of the line
    // closes, and the port under test reads only errors from then on.
    void dropLine();

    // The reply to every "ATD..." command; none at all keeps the modem
    // silent. "ATH" is answered "OK" at once.
    QList<Piece> dialReply;
    // Every byte the modem was sent, in order.
    QByteArray received;

  signals:
    void commandReceived(const QByteArray& command);

  private:
    void readMaster();
    void send(const QByteArray& bytes);

    int m_master = -1;
    int m_slaveKeeper = -1; // keeps the line up while the port is closed
    QString m_slavePath;
    QSocketNotifier* m_notifier = nullptr;
    QByteArray m_line;
};

} // namespace corvanta
