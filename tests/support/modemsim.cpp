#include "modemsim.h"

#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace corvanta {

ModemSim::ModemSim(QObject* parent) : QObject(parent)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    // Without an open slave the master reads end-of-file over and over
    // whenever the port under test is closed.
    m_slaveKeeper = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (m_slaveKeeper >= 0) {
        termios t{};
        tcgetattr(m_slaveKeeper, &t);
        cfmakeraw(&t);
        tcsetattr(m_slaveKeeper, TCSANOW, &t);
    }
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ModemSim::readMaster);
}

ModemSim::~ModemSim()
{
    delete m_notifier;
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    if (m_master >= 0)
        ::close(m_master);
}

void ModemSim::dropLine()
{
    delete m_notifier;
    m_notifier = nullptr;
    for (int* fd : {&m_slaveKeeper, &m_master}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void ModemSim::send(const QByteArray& bytes)
{
    if (m_master >= 0)
        (void)::write(m_master, bytes.constData(), size_t(bytes.size()));
}

void ModemSim::readMaster()
{
    char buf[256];
    const ssize_t n = ::read(m_master, buf, sizeof buf);
    if (n <= 0)
        return;
    received.append(buf, n);
    m_line.append(buf, n);
    qsizetype end;
    while ((end = m_line.indexOf('\r')) >= 0) {
        const QByteArray command = m_line.left(end);
        m_line.remove(0, end + 1);
        emit commandReceived(command);
        if (command.startsWith("ATH")) {
            send("\r\nOK\r\n");
        } else if (command.startsWith("ATD")) {
            int at = 0;
            for (const Piece& p : dialReply) {
                at += p.delayMs;
                QTimer::singleShot(at, this, [this, bytes = p.bytes] { send(bytes); });
            }
        }
    }
}

} // namespace corvanta
