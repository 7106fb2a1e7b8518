#pragma once

#include <QString>

// Which serial device a port text names. A number N is the system's Nth
// serial port, counted in the order of the port names (falling back to
// /dev/ttyS<N-1> beyond them), as users know ports by number; a device name
// ("ttyUSB0") or path ("/dev/ttyACM0") is used as it is.
namespace corvanta::ModemPort {

struct Choice
{
    QString device; // for QSerialPort::setPortName; empty when the text names none
    QString shown;  // how the messages name it: "COM2 (/dev/ttyS1)", "ttyUSB0"
};

Choice resolve(const QString& portText);

// The text of the message when the port cannot be opened.
QString notAvailable(const Choice& choice);

} // namespace corvanta::ModemPort
