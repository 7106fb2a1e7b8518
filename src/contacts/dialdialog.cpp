#include "contacts/dialdialog.h"

#include "contacts/contactaddress.h"
#include "contacts/modemport.h"
#include "grid/gridwidget.h"
#include "platform/platform.h"
#include "platform/valuestore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace corvanta {

namespace {

constexpr int kShortTwips = 1900;
constexpr int kLongTwips = 2940;
// Replies that end a dial without a connection to the line.
const char* const kFailures[] = {"NO DIALTONE", "NO CARRIER", "BUSY", "ERROR"};
// The most kept of a reply line that has not ended yet: every word looked
// for is shorter, so one cut across two reads is still found, while a
// modem that floods the port without line ends costs nothing more.
constexpr qsizetype kMaxPendingReply = 64;

// The width a text box needs to show `text` whole, frame and margins
// included.
int widthToShow(const QLineEdit* box, const QString& text)
{
    QStyleOptionFrame opt;
    opt.initFrom(box);
    opt.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, box);
    const QMargins margins = box->textMargins() + box->contentsMargins();
    constexpr int kInnerMargin = 2; // a line edit's own space each side of its text
    const QSize inner(box->fontMetrics().horizontalAdvance(text) + 2 * kInnerMargin +
                          margins.left() + margins.right(),
                      box->fontMetrics().height());
    return box->style()->sizeFromContents(QStyle::CT_LineEdit, &opt, inner, box).width();
}

QString setting(const ValueStore& s, const char* key, const QString& fallback)
{
    const QString v = s.read(QString::fromLatin1(key));
    return v.isEmpty() ? fallback : v;
}

} // namespace

const char* const DialDialog::kCommPortKey = "COMMPORT";
const char* const DialDialog::kLongDisKey = "LONGDIS";
const char* const DialDialog::kDialOneKey = "DIALONE";
const char* const DialDialog::kLongFormKey = "LONGFORM";

DialDialog::DialDialog(Platform& platform, ValueStore& settings, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_settings(settings)
{
    setObjectName(QStringLiteral("frmDial"));
    setWindowTitle(QStringLiteral("Dial Phone"));
    setModal(true);
    m_port = new QSerialPort(this);
    m_port->setObjectName(QStringLiteral("MSComm1"));
    connect(m_port, &QSerialPort::readyRead, this, &DialDialog::readReply);
    connect(m_port, &QSerialPort::errorOccurred, this, &DialDialog::onPortError);

    m_num = new QLineEdit;
    m_num->setObjectName(QStringLiteral("txtNum"));
    m_status = new QLineEdit;
    m_status->setObjectName(QStringLiteral("txtStatus"));
    m_status->setReadOnly(true);
    m_status->setMinimumWidth(
        widthToShow(m_status, QStringLiteral("Waiting for picking up the phone")));
    m_dial = new QPushButton(QStringLiteral("&Dial"));
    m_dial->setObjectName(QStringLiteral("cmdDial"));
    m_dial->setToolTip(QStringLiteral("Redial Number"));
    m_cancel = new QPushButton(QStringLiteral("&Cancel"));
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cancel->setToolTip(QStringLiteral("Cancel Dial"));
    auto* exit = new QPushButton(QStringLiteral("C&lose"));
    exit->setObjectName(QStringLiteral("cmdExit"));
    exit->setToolTip(QStringLiteral("Exit"));
    m_set = new QPushButton;
    m_set->setObjectName(QStringLiteral("cmdSet"));
    m_set->setToolTip(QStringLiteral("Show Hide Settings"));
    for (QPushButton* b : {m_dial, m_cancel, exit, m_set})
        b->setAutoDefault(false);

    m_settingsPane = new QWidget;
    m_settingsPane->setObjectName(QStringLiteral("settingsPane"));
    m_portText = new QLineEdit;
    m_portText->setObjectName(QStringLiteral("txtPort"));
    m_portText->setMaximumWidth(120);
    m_longDis = new QLineEdit;
    m_longDis->setObjectName(QStringLiteral("txtLongDis"));
    m_longDis->setMaximumWidth(40);
    m_dialOne = new QCheckBox(QStringLiteral("Dial '1' before number for long distance"));
    m_dialOne->setObjectName(QStringLiteral("chkDialOne"));
    auto* save = new QPushButton(QStringLiteral("&Save Settings"));
    save->setObjectName(QStringLiteral("cmdSave"));
    save->setToolTip(QStringLiteral("Save settings on the left"));
    save->setAutoDefault(false);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("Dialing Number:")), 0, 0);
    top->addWidget(m_num, 0, 1);
    top->addWidget(new QLabel(QStringLiteral("Status:")), 1, 0);
    top->addWidget(m_status, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_dial);
    buttons->addWidget(m_cancel);
    buttons->addWidget(exit);
    buttons->addStretch(1);
    buttons->addWidget(m_set);

    auto* pane = new QGridLayout(m_settingsPane);
    pane->setContentsMargins(0, 0, 0, 0);
    pane->addWidget(new QLabel(QStringLiteral("Comm Port:")), 0, 0);
    pane->addWidget(m_portText, 0, 1, Qt::AlignLeft);
    auto* prefixRow = new QHBoxLayout;
    prefixRow->addWidget(new QLabel(QStringLiteral("Dial ")));
    prefixRow->addWidget(m_longDis);
    prefixRow->addWidget(new QLabel(QStringLiteral("before number for long distance")));
    prefixRow->addStretch(1);
    pane->addLayout(prefixRow, 1, 0, 1, 3);
    pane->addWidget(m_dialOne, 2, 0, 1, 3);
    pane->addWidget(save, 3, 2, Qt::AlignRight);
    pane->setColumnStretch(1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(buttons);
    outer->addWidget(m_settingsPane);
    outer->addStretch(1);
    outer->setSizeConstraint(QLayout::SetNoConstraint);
    // Wide enough for the settings, whichever form it opens in.
    const QMargins m = outer->contentsMargins();
    setMinimumWidth(std::max(m_settingsPane->sizeHint().width(), top->sizeHint().width()) +
                    m.left() + m.right());

    connect(m_dial, &QPushButton::clicked, this, &DialDialog::cmdDial_Click);
    connect(m_cancel, &QPushButton::clicked, this, &DialDialog::cmdCancel_Click);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_set, &QPushButton::clicked, this, &DialDialog::cmdSet_Click);
    connect(save, &QPushButton::clicked, this, &DialDialog::SaveSettings);
    connect(m_dialOne, &QCheckBox::toggled, this, [this](bool on) { m_dialone = on ? 1 : 0; });

    m_portText->setText(setting(m_settings, kCommPortKey, QStringLiteral("2")));
    m_longDis->setText(setting(m_settings, kLongDisKey, QStringLiteral("1")));
    // A value that is no number (or out of range) reads as off. As for
    // every integer setting, halves go to the even neighbour (nearbyint in
    // the default rounding mode), so 0.5 is off and 1.5 too.
    bool ok = false;
    const double dialOne =
        m_settings.read(QString::fromLatin1(kDialOneKey)).trimmed().toDouble(&ok);
    m_dialone = ok && std::nearbyint(dialOne) == 1.0 ? 1 : 0;
    m_dialOne->setChecked(m_dialone == 1);
    setIdle(true);
    applyForm(false);
}

DialDialog::~DialDialog() = default;

QString DialDialog::longDistancePrefix() const
{
    return m_longDis->text();
}

void DialDialog::setNumber(const QString& number)
{
    m_num->setText(number);
}

void DialDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_activated)
        return;
    m_activated = true;
    applyForm(m_settings.read(QString::fromLatin1(kLongFormKey)) == QLatin1String("True"));
    // Once the dialog is on screen, so that the user sees what happens.
    QTimer::singleShot(0, this, &DialDialog::cmdDial_Click);
}

void DialDialog::setIdle(bool idle)
{
    m_dial->setEnabled(idle);
    m_cancel->setEnabled(!idle);
}

void DialDialog::setStatus(const QString& text)
{
    m_status->setText(text);
}

void DialDialog::applyForm(bool longForm)
{
    m_isLongForm = longForm;
    m_settingsPane->setVisible(longForm);
    m_set->setIcon(style()->standardIcon(longForm ? QStyle::SP_ArrowUp : QStyle::SP_ArrowDown));
    // The form's heights, or what the controls need where the font is larger.
    layout()->activate();
    const int wanted = GridWidget::twipsToPixels(longForm ? kLongTwips : kShortTwips);
    setFixedHeight(std::max(wanted, layout()->minimumSize().height()));
}

void DialDialog::cmdSet_Click()
{
    applyForm(!m_isLongForm);
}

void DialDialog::cmdDial_Click()
{
    if (m_waiting || m_unloaded)
        return;
    setIdle(false);
    const QString number = m_num->text();
    if (number.isEmpty()) {
        setIdle(true);
        return;
    }
    const QString refused = ContactAddress::undialable(number);
    if (!refused.isEmpty()) {
        m_platform.messageBox(QStringLiteral("The number cannot be dialled: a modem would "
                                             "misread the characters \"") +
                                  refused + QStringLiteral("\"."),
                              QString(), MsgIcon::Exclamation, MsgButtons::Ok);
        setIdle(true);
        return;
    }
    setStatus(QStringLiteral("Dialing - ") + number);

    const ModemPort::Choice port = ModemPort::resolve(m_portText->text());
    m_portShown = port.shown;
    bool opened = false;
    if (!port.device.isEmpty()) {
        m_port->setPortName(port.device);
        m_port->setBaudRate(QSerialPort::Baud9600);
        m_port->setDataBits(QSerialPort::Data8);
        m_port->setParity(QSerialPort::NoParity);
        m_port->setStopBits(QSerialPort::OneStop);
        m_port->setFlowControl(QSerialPort::NoFlowControl);
        opened = m_port->open(QIODevice::ReadWrite);
    }
    if (!opened) {
        m_platform.messageBox(ModemPort::notAvailable(port), QString(), MsgIcon::None,
                              MsgButtons::Ok);
        applyForm(true);
        setIdle(true);
        return;
    }
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_reply.clear();
    m_waiting = true;
    m_port->write("ATDT" + number.toLatin1() + ";\r");
}

void DialDialog::readReply()
{
    const QByteArray bytes = m_port->readAll();
    if (!m_waiting)
        return;
    m_reply += bytes;
    if (m_reply.contains("OK")) {
        endWait(Outcome::Answered);
        return;
    }
    for (const char* failure : kFailures) {
        if (m_reply.contains(failure)) {
            endWait(Outcome::Refused, QString::fromLatin1(failure));
            return;
        }
    }
    setStatus(QStringLiteral("Dialing..."));
    // Complete lines held no answer; only the line still arriving can.
    const qsizetype lineEnd = std::max(m_reply.lastIndexOf('\r'), m_reply.lastIndexOf('\n'));
    m_reply.remove(0, std::max(lineEnd + 1, m_reply.size() - kMaxPendingReply));
}

void DialDialog::onPortError()
{
    const QSerialPort::SerialPortError error = m_port->error();
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_waiting)
        return;
    // A modem unplugged or a line gone: no answer can come, and a port
    // left open would wake the program for ever.
    endWait(Outcome::PortLost, m_port->errorString());
}

void DialDialog::cmdCancel_Click()
{
    m_cancel->setEnabled(false);
    setStatus(QStringLiteral("Cancel"));
    if (m_waiting)
        endWait(Outcome::Cancelled);
}

void DialDialog::endWait(Outcome outcome, const QString& reply)
{
    m_waiting = false;
    if (outcome == Outcome::Answered) {
        m_platform.beep();
        setStatus(QStringLiteral("Waiting for picking up the phone"));
        m_platform.messageBox(
            QStringLiteral("Pick up the phone and either press Enter or click OK"), QString(),
            MsgIcon::None, MsgButtons::Ok);
    } else if (outcome == Outcome::Refused) {
        setStatus(reply);
        m_platform.messageBox(QStringLiteral("The modem answered \"") + reply +
                                  QStringLiteral("\"; the number was not dialled."),
                              QString(), MsgIcon::Exclamation, MsgButtons::Ok);
    } else if (outcome == Outcome::PortLost) {
        // Nothing reaches a lost modem: the port is only closed.
        m_port->close();
        setStatus(QStringLiteral("Port lost"));
        m_platform.messageBox(QStringLiteral("Lost the connection to the modem on ") + m_portShown +
                                  QStringLiteral(" (") + reply +
                                  QStringLiteral("); the number was not dialled."),
                              QString(), MsgIcon::Exclamation, MsgButtons::Ok);
    }
    m_reply.clear();
    hangUp();
    if (!m_unloaded)
        setIdle(true);
}

void DialDialog::hangUp()
{
    if (!m_port->isOpen())
        return;
    m_port->write("ATH\r");
    // The port closes right after; the hang-up must reach the modem first.
    m_port->waitForBytesWritten(1000);
    m_port->close();
}

void DialDialog::SaveSettings()
{
    m_settings.write(QString::fromLatin1(kCommPortKey), m_portText->text());
    m_settings.write(QString::fromLatin1(kLongDisKey), m_longDis->text());
    m_settings.write(QString::fromLatin1(kDialOneKey), QString::number(m_dialone));
    m_settings.write(QString::fromLatin1(kLongFormKey),
                     m_isLongForm ? QStringLiteral("True") : QStringLiteral("False"));
}

void DialDialog::done(int result)
{
    if (!m_unloaded) {
        m_unloaded = true;
        // Closing during the wait ends it as Cancel does.
        if (m_waiting)
            endWait(Outcome::Cancelled);
        hangUp();
        SaveSettings();
    }
    QDialog::done(result);
}

} // namespace corvanta
