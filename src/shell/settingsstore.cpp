#include "shell/settingsstore.h"

#include <QSettings>
#include <QStandardPaths>

#include <cmath>

namespace corvanta {

namespace {
// Every value lives in one section: the names are flat, with no groups.
const QString kGroup = QStringLiteral("Settings");
} // namespace

QString SettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Corvanta/AddressBook.ini");
}

SettingsStore::SettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::path() const
{
    return m_settings->fileName();
}

QString SettingsStore::read(const QString& name) const
{
    const QVariant v = m_settings->value(kGroup + QLatin1Char('/') + name);
    if (!v.isValid() || v.typeId() == QMetaType::QStringList)
        return QString();
    return v.toString();
}

bool SettingsStore::write(const QString& name, const QString& text)
{
    m_settings->setValue(kGroup + QLatin1Char('/') + name, text);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

int SettingsStore::toInt16(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return 0;
    // nearbyint in the default rounding mode sends halves to the even
    // neighbour, so a stored 2.5 reads as 2 and 3.5 as 4, the same value
    // wherever it is read.
    const double r = std::nearbyint(v);
    if (r < -32768.0 || r > 32767.0)
        return 0;
    return static_cast<int>(r);
}

bool SettingsStore::toBool(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (ok && std::isfinite(v))
        return v != 0.0;
    return true;
}

QString SettingsStore::fromBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString SettingsStore::fromNumber(double value)
{
    return QString::number(value, 'g', 9);
}

} // namespace corvanta
