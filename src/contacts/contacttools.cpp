#include "contacts/contacttools.h"

#include "commands/commandset.h"
#include "contacts/contactaddress.h"
#include "contacts/dialdialog.h"
#include "contacts/finddialog.h"
#include "files/document.h"
#include "files/vcardcolumns.h"
#include "grid/gridwidget.h"
#include "platform/platform.h"
#include "platform/valuestore.h"

#include <QApplication>
#include <QClipboard>

namespace corvanta {

using namespace ContactAddress;

ContactTools::ContactTools(GridWidget* fa, Document& doc, Platform& platform, ValueStore& settings,
                           QObject* parent)
    : QObject(parent), m_fa(fa), m_doc(doc), m_platform(platform), m_settings(settings)
{
    setObjectName(QStringLiteral("contactTools"));
}

ContactTools::~ContactTools() = default;

FindDialog* ContactTools::findDialog() const
{
    return m_find;
}

DialDialog* ContactTools::dialDialog() const
{
    return m_dial;
}

void ContactTools::install(CommandSet& c)
{
    m_commands = &c;
    c.attach(QStringLiteral("mnuEditFind"), this, &ContactTools::mnuEditFind_Click);
    c.attach(QStringLiteral("mnuTools_InternetMap"), this,
             &ContactTools::mnuTools_InternetMap_Click);
    c.attach(QStringLiteral("mnuToolsCountryUSA"), this, [this] { mnuToolsCountry_Click(0); });
    c.attach(QStringLiteral("mnuToolsCountryCa"), this, [this] { mnuToolsCountry_Click(1); });
    c.attach(QStringLiteral("mnuTools_SendMail"), this, &ContactTools::mnuTools_SendMail_Click);
    c.attach(QStringLiteral("mnuTools_WebLink"), this, &ContactTools::mnuTools_WebLink_Click);
    c.attach(QStringLiteral("mnuTools_DialPhone"), this, &ContactTools::mnuTools_DialPhone_Click);
}

QString ContactTools::cell(int row, int col) const
{
    // A role may point past the last column; such a cell reads as empty.
    if (row < 0 || col < 0 || row >= m_fa->RowCount() || col >= m_fa->ColCount())
        return QString();
    return m_fa->CellText(row, col);
}

void ContactTools::warn(const QString& text)
{
    m_platform.messageBox(text, QString(), MsgIcon::Exclamation, MsgButtons::Ok);
}

void ContactTools::mnuEditFind_Click()
{
    if (m_find) {
        m_find->raise();
        m_find->activateWindow();
        return;
    }
    QWidget* main = m_fa->window();
    m_find = new FindDialog(m_fa, m_platform, main);
    connect(m_find, &FindDialog::hit, this, &ContactTools::cellFound);
    m_find->show();
    // The main window's top right corner; the frame is known once shown.
    const QRect frame = main->frameGeometry();
    m_find->move(frame.x() + frame.width() - m_find->frameGeometry().width(), frame.y());
    m_find->activateWindow();
}

void ContactTools::mnuToolsCountry_Click(int clicked)
{
    QAction* usa = m_commands->action(QStringLiteral("mnuToolsCountryUSA"));
    QAction* ca = m_commands->action(QStringLiteral("mnuToolsCountryCa"));
    // Either entry swaps the pair, even the one already checked.
    if (clicked == 0)
        ca->setChecked(!usa->isChecked());
    else
        usa->setChecked(!ca->isChecked());
    const bool isUsa = usa->isChecked();
    m_mapCountry = isUsa ? QStringLiteral("us") : QStringLiteral("ca");
    emit countryChanged(isUsa ? QStringLiteral("US") : QStringLiteral("CA"));
}

void ContactTools::mnuTools_InternetMap_Click()
{
    const int col = m_doc.roles().map;
    if (title(col).isEmpty())
        warn(streetWarning(col, title(col)));
    const int r = m_fa->CurRow();
    PostalAddress address{cell(r, col), cell(r, col + 1), cell(r, col + 2), cell(r, col + 3), {}};
    // The record's own country, when the table has a column for it: the
    // one of the street's address ("Country (Home)" beside "Street
    // (Home)"), or else one titled "Country".
    const VcardColumns::Column street = VcardColumns::parse(title(col));
    const QString own = VcardColumns::title(VcardColumns::Country, street.label, street.number);
    for (const QString& wanted : {own, QStringLiteral("Country")}) {
        for (int c = 0; c < m_fa->ColCount() && address.country.isEmpty(); ++c)
            if (m_fa->CellText(0, c).trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
                address.country = cell(r, c).trimmed();
        if (!address.country.isEmpty())
            break;
    }
    m_platform.openUrl(
        mapUrl(m_settings.read(mapTemplateKey()), address, m_mapCountry == QLatin1String("ca")));
}

void ContactTools::mnuTools_SendMail_Click()
{
    const int col = m_doc.roles().mail;
    QStringList addresses;
    const int picked = m_fa->PickedRowCount();
    // A free block picks no whole rows: then the current record is meant.
    for (int i = 0; i < (picked > 0 ? picked : 1); ++i) {
        addresses << mailAddresses(cell(picked > 0 ? m_fa->PickedRow(i) : m_fa->CurRow(), col));
    }
    if (addresses.isEmpty())
        warn(mailWarning(col, title(col)));
    const int fit = recipientsThatFit(addresses);
    if (fit < addresses.size()) {
        QApplication::clipboard()->setText(addresses.join(QStringLiteral(", ")));
        warn(tooManyRecipients(int(addresses.size()), fit));
        addresses.clear();
    }
    m_platform.openUrl(QUrl::fromEncoded(mailtoTarget(addresses), QUrl::StrictMode));
}

void ContactTools::mnuTools_WebLink_Click()
{
    const int col = m_doc.roles().website;
    const std::optional<QUrl> url = webAddress(cell(m_fa->CurRow(), col));
    if (!url) {
        warn(webWarning(col, title(col)));
        return;
    }
    m_platform.openUrl(*url);
}

void ContactTools::mnuTools_DialPhone_Click()
{
    if (m_dial)
        return;
    m_dial = new DialDialog(m_platform, m_settings, m_fa->window());
    m_dial->setAttribute(Qt::WA_DeleteOnClose);
    const QString phone = cell(m_fa->CurRow(), m_doc.roles().phone);
    m_dial->setNumber(composeNumber(phone, m_dial->longDistancePrefix(), m_dial->m_dialone == 1));
    m_dial->setWindowModality(Qt::ApplicationModal);
    m_dial->show();
}

} // namespace corvanta
