#pragma once

#include "platform/valuestore.h"

#include <QString>

#include <memory>

class QSettings;

namespace corvanta {

// The persisted settings: named text values in one INI file. An absent value
// reads as ""; every write is synced to disk before it returns, so a crash
// right after a write never loses it.
class SettingsStore : public ValueStore
{
  public:
    // The file in the user's configuration folder.
    static QString defaultPath();

    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore() override;

    QString read(const QString& name) const override;
    bool write(const QString& name, const QString& text) override;
    QString path() const;

    // Stored numbers read back as 16-bit signed integers, rounded half to
    // even; text that is no number or lies outside -32768..32767 gives 0.
    static int toInt16(const QString& text);
    // "True"/"False" in any case, or a number (non-zero is true); anything
    // else gives true.
    static bool toBool(const QString& text);
    static QString fromBool(bool value);
    // Twips are written as the decimal text of the number, e.g. "1200".
    static QString fromNumber(double value);

  private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace corvanta
