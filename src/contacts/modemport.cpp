#include "contacts/modemport.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace corvanta::ModemPort {

Choice resolve(const QString& portText)
{
    const QString text = portText.trimmed();
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,5}$"));
    static const QRegularExpression name(QStringLiteral("^[A-Za-z][A-Za-z0-9_.-]*$"));
    static const QRegularExpression path(QStringLiteral("^/[^\\s]+$"));
    if (number.match(text).hasMatch()) {
        const int n = text.toInt();
        if (n < 1 || n > 32767)
            return {QString(), QStringLiteral("COM") + text};
        QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
        std::sort(ports.begin(), ports.end(),
                  [](const QSerialPortInfo& a, const QSerialPortInfo& b) {
                      return a.portName() < b.portName();
                  });
        const QString device = n <= ports.size() ? ports[n - 1].systemLocation()
                                                 : QStringLiteral("/dev/ttyS%1").arg(n - 1);
        return {device, QStringLiteral("COM%1 (%2)").arg(n).arg(device)};
    }
    if (name.match(text).hasMatch() || path.match(text).hasMatch())
        return {text, text};
    return {QString(), text.isEmpty() ? QStringLiteral("COM") : text};
}

QString notAvailable(const Choice& choice)
{
    return choice.shown +
           QStringLiteral(": not available. Change the CommPort property to another port.");
}

} // namespace corvanta::ModemPort
