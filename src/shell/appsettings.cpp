#include "shell/appsettings.h"

#include "shell/settingsstore.h"

#include <QUrl>

#include <algorithm>

namespace corvanta {

namespace {
const QString kTop = QStringLiteral("TOP");
const QString kLeft = QStringLiteral("LEFT");
const QString kWidth = QStringLiteral("WIDTH");
const QString kHeight = QStringLiteral("HEIGHT");
const QString kVBarLeft = QStringLiteral("VBarLeft");
const QString kAlternateColor = QStringLiteral("AlternateColor");
const QString kLastOpenPath = QStringLiteral("LastOpenPath");
const QString kLastOpenFilePath = QStringLiteral("LastOpenFilePath");
const QString kEmailParser = QStringLiteral("EmailParser");
const QString kColMail = QStringLiteral("col_mail");
const QString kColPhone = QStringLiteral("col_phone");
const QString kColWebsite = QStringLiteral("col_website");
const QString kColMap = QStringLiteral("col_map");
const QString kGuideUrl = QStringLiteral("GuideUrl");
const QString kWebUrl = QStringLiteral("WebUrl");

QString installedGuide(const QString& programFolder)
{
    return QUrl::fromLocalFile(programFolder + QStringLiteral("/guide.html")).toString();
}
} // namespace

const QString AppSettings::ProgramFolderKey = QStringLiteral("INI");
const QString AppSettings::ShowTipsKey = QStringLiteral("ShowTips");

AppSettings::AppSettings(SettingsStore& store) : m_store(store) {}

std::optional<int> AppSettings::readOptionalInt(const QString& key) const
{
    const QString t = m_store.read(key);
    if (t.isEmpty())
        return std::nullopt;
    return SettingsStore::toInt16(t);
}

int AppSettings::readInt(const QString& key, int fallback) const
{
    return readOptionalInt(key).value_or(fallback);
}

bool AppSettings::readBool(const QString& key, bool fallback) const
{
    const QString t = m_store.read(key);
    return t.isEmpty() ? fallback : SettingsStore::toBool(t);
}

QString AppSettings::readText(const QString& key, const QString& fallback) const
{
    const QString t = m_store.read(key);
    return t.isEmpty() ? fallback : t;
}

WindowSettings AppSettings::load(const QString& programFolder) const
{
    WindowSettings s;
    s.top = readOptionalInt(kTop);
    s.left = readOptionalInt(kLeft);
    s.width = readInt(kWidth, s.width);
    s.height = readInt(kHeight, s.height);
    s.vbarLeft = readInt(kVBarLeft, s.vbarLeft);
    s.alternateRows = readBool(kAlternateColor, s.alternateRows);
    s.dropBox = readInt(kEmailParser, s.dropBox);
    s.openFolder = readText(kLastOpenPath, programFolder);
    s.startupFile = readText(kLastOpenFilePath, programFolder + QStringLiteral("/Sample_AB.cvt"));
    s.showTips = readBool(ShowTipsKey, s.showTips);
    s.roles.mail = readInt(kColMail, s.roles.mail);
    s.roles.phone = readInt(kColPhone, s.roles.phone);
    s.roles.website = readInt(kColWebsite, s.roles.website);
    s.roles.map = readInt(kColMap, s.roles.map);
    return s;
}

void AppSettings::save(const WindowSettings& s)
{
    SettingsStore& st = m_store;
    // Geometry reads back through the 16-bit rule, which turns a value
    // beyond it into 0: a wide window would come back tiny. The nearest
    // value it can read is the one to keep.
    const auto int16 = [](int v) {
        return SettingsStore::fromNumber(std::clamp(v, -32768, 32767));
    };
    st.write(kTop, int16(s.top.value_or(0)));
    st.write(kLeft, int16(s.left.value_or(0)));
    st.write(kWidth, int16(s.width));
    st.write(kHeight, int16(s.height));
    st.write(kVBarLeft, SettingsStore::fromNumber(s.vbarLeft));
    st.write(kAlternateColor, SettingsStore::fromBool(s.alternateRows));
    st.write(kLastOpenPath, s.openFolder);
    st.write(kLastOpenFilePath, s.startupFile);
    st.write(ShowTipsKey, SettingsStore::fromBool(s.showTips));
    st.write(kEmailParser, QString::number(s.dropBox));
    st.write(kColMail, QString::number(s.roles.mail));
    st.write(kColWebsite, QString::number(s.roles.website));
    st.write(kColMap, QString::number(s.roles.map));
    st.write(kColPhone, QString::number(s.roles.phone));
}

QString AppSettings::guideUrl(const QString& programFolder) const
{
    return readText(kGuideUrl, installedGuide(programFolder));
}

QString AppSettings::webUrl(const QString& programFolder) const
{
    return readText(kWebUrl, installedGuide(programFolder));
}

namespace {
constexpr int kRecentSlots = 8;
QString recentKey(int i)
{
    return QStringLiteral("RecentFile%1").arg(i + 1);
}
} // namespace

QStringList AppSettings::loadRecentFiles() const
{
    QStringList out;
    for (int i = 0; i < kRecentSlots; ++i) {
        const QString t = m_store.read(recentKey(i));
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

void AppSettings::saveRecentFiles(const QStringList& texts)
{
    for (int i = 0; i < kRecentSlots; ++i)
        m_store.write(recentKey(i), i < texts.size() ? texts.at(i) : QString());
}

} // namespace corvanta
