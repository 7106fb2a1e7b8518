#pragma once

#include <QString>

namespace corvanta {

class SettingsStore;

// The steps of start-up that come before any window exists.
namespace Startup {

// Records the program folder under "INI" on the address book's first run.
void recordProgramFolder(SettingsStore& settings, const QString& programFolder);
// Whether the tip of the day opens at start: absent or unreadable means yes.
bool readShowTips(const SettingsStore& settings);

} // namespace Startup
} // namespace corvanta
