#pragma once

#include "table/columnroles.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

class SettingsStore;

// What the main window keeps between runs. Geometry is in twips.
struct WindowSettings
{
    std::optional<int> top;  // absent: centred on the screen
    std::optional<int> left; // absent: centred on the screen
    int width = 8888;
    int height = 6600;
    int vbarLeft = 3570; // the splitter's left edge
    bool alternateRows = true;
    int dropBox = 1; // the drop box under the form panel; 0 hides it
    QString openFolder;
    QString startupFile;
    bool showTips = true;
    ColumnRoles roles;
};

// Every setting the address book stores, each key spelt here once, with
// typed reads and writes over the store. Numbers read back the way
// SettingsStore::toInt16 reads them; an absent value takes its default.
class AppSettings
{
  public:
    // The keys, for the few places that read one value alone.
    static const QString ProgramFolderKey;
    static const QString ShowTipsKey;

    explicit AppSettings(SettingsStore& store);

    // `programFolder` (no trailing separator) gives the defaults of the
    // folder the dialogs open in and of the file opened at start.
    WindowSettings load(const QString& programFolder) const;
    // Writes every value, each synced as it is written.
    void save(const WindowSettings& settings);
    // The addresses Help > Guide Online and Help > Corvanta on the Web
    // open. Until the product has a site of its own, both lead to the
    // user guide installed beside the program, as a file: address.
    QString guideUrl(const QString& programFolder) const;
    QString webUrl(const QString& programFolder) const;
    // The recent files list, newest first, as RecentFiles stores it; written
    // whenever it changes, so that a crash does not lose it.
    QStringList loadRecentFiles() const;
    void saveRecentFiles(const QStringList& texts);

  private:
    int readInt(const QString& key, int fallback) const;
    std::optional<int> readOptionalInt(const QString& key) const;
    bool readBool(const QString& key, bool fallback) const;
    QString readText(const QString& key, const QString& fallback) const;

    SettingsStore& m_store;
};

} // namespace corvanta
