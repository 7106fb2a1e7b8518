#pragma once

#include <QString>
#include <QStringList>

namespace corvanta {

class SettingsStore;

// The steps of start-up that come before any window exists.
namespace Startup {

// Records the program folder under "INI" on the address book's first run.
void recordProgramFolder(SettingsStore& settings, const QString& programFolder);
// Whether the tip of the day opens at start: absent or unreadable means yes.
bool readShowTips(const SettingsStore& settings);

// The folder that holds Untitled.cvt, Sample_AB.cvt, tips.vti and
// guide.html. A build, or a program unpacked into a folder of its own,
// keeps them beside the program (`appDir`). An installed program has its
// shipped data in `sharedDir` (share/corvanta) and cannot write there: it
// keeps them in `userDataDir`, which is given the sample once and the tips
// and the guide whenever the shipped ones differ from its copies.
QString programFolder(const QString& appDir, const QString& sharedDir, const QString& userDataDir);

// The path of the file named on the command line (`args` without the
// program), made absolute against `workingDir`; "" when none is named.
QString fileArgument(const QStringList& args, const QString& workingDir);

} // namespace Startup
} // namespace corvanta
