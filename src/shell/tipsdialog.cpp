#include "shell/tipsdialog.h"

#include "files/nativefile.h"
#include "grid/table.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QVBoxLayout>

namespace corvanta {

namespace {

const QString kMissing =
    QStringLiteral("Cannot open tips file or the file is missing. Reinstall the program or consult "
                   "with software vendor.");

QPushButton* button(const char* name, const char* caption, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

QStringList TipsDialog::readTips(const QString& path, bool* ok)
{
    Table t;
    *ok = bool(NativeFile::load(path, t));
    QStringList tips;
    if (!*ok)
        return tips;
    for (int r = 1; r < t.rowCount(); ++r) {
        bool number = false;
        const double mark = t.text(r, 1).trimmed().toDouble(&number);
        if (number && mark == -1)
            tips.append(t.text(r, 2) + QStringLiteral("\r\n\r\n") + t.text(r, 3));
    }
    return tips;
}

TipsDialog::TipsDialog(const QString& programFolder, bool showTips, Platform& platform,
                       QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTips"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("SSPanel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setBackgroundRole(QPalette::Base);
    panel->setAutoFillBackground(true);
    auto* label1 = new QLabel(QStringLiteral("Did you know..."), panel);
    label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    label1->setFont(heading);
    m_tip = new QLabel(QStringLiteral("There are no tips to show."), panel);
    m_tip->setObjectName(QStringLiteral("Label2"));
    m_tip->setWordWrap(true);
    m_tip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_tip->setMinimumSize(380, 150);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(label1);
    panelLayout->addWidget(m_tip, 1);

    m_showTips = new QCheckBox(QStringLiteral("Show Tips at Startup"), this);
    m_showTips->setObjectName(QStringLiteral("chkShowTips"));
    m_showTips->setChecked(showTips);
    auto* product = new QLabel(Platform::applicationTitle(), this);
    product->setObjectName(QStringLiteral("lblProduct"));
    product->setEnabled(false);

    QPushButton* previous = button("cmdPrevious", "PreviousTip", this);
    QPushButton* next = button("cmdNext", "Next Tip", this);
    QPushButton* ok = button("cmdOK", "Close", this);
    ok->setDefault(true);
    connect(previous, &QPushButton::clicked, this, &TipsDialog::cmdPrevious_Click);
    connect(next, &QPushButton::clicked, this, &TipsDialog::cmdNext_Click);
    connect(ok, &QPushButton::clicked, this, &TipsDialog::cmdOK_Click);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(next);
    buttons->addWidget(previous);
    buttons->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(panel, 1);
    top->addLayout(buttons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_showTips);
    bottom->addStretch(1);
    bottom->addWidget(product);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    // A busy pointer left over from a long command must not linger over
    // the window the user now reads.
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(panel)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }

    bool read = false;
    m_tips = readTips(programFolder + QStringLiteral("/tips.vti"), &read);
    if (!read) {
        platform.messageBox(kMissing, QString(), MsgIcon::Exclamation, MsgButtons::Ok);
        m_tips = {QStringLiteral(" "), QStringLiteral(" ")};
    }
    if (!m_tips.isEmpty())
        showTip(QRandomGenerator::global()->bounded(int(m_tips.size())) + 1);
}

void TipsDialog::showTip(int number)
{
    // Line breaks are stored as CR LF; the label wants plain line feeds.
    QString text = m_tips.value(number - 1);
    m_tip->setText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TipsDialog::cmdNext_Click()
{
    const int count = int(m_tips.size());
    if (count == 0)
        return;
    m_current = m_current >= count ? 1 : m_current + 1;
    showTip(m_current);
}

void TipsDialog::cmdPrevious_Click()
{
    const int count = int(m_tips.size());
    if (count == 0)
        return;
    m_current = m_current < 2 ? count : m_current - 1;
    showTip(m_current);
}

void TipsDialog::cmdOK_Click()
{
    emit showTipsChosen(m_showTips->isChecked());
    // Esc and the title bar's close button end in reject() and leave the
    // switch alone; either way the window closes and goes.
    accept();
}

bool TipsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }
    return QDialog::eventFilter(watched, event);
}

void TipsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect area = s->availableGeometry();
        move(area.x() + (area.width() - frameGeometry().width()) / 2,
             area.y() + (area.height() - frameGeometry().height()) / 2);
    }
}

} // namespace corvanta
