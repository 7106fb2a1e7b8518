#pragma once

#include "commands/commandset.h"
#include "shell/mainwindow.h"
#include "testfiles.h"

#include <QAction>
#include <QString>
#include <QTest>

namespace corvanta {

// Helpers of the tests that drive the File menu.

// Runs a menu command as a click on it does; it must be enabled.
inline void trigger(MainWindow& w, const char* name)
{
    QAction* a = w.commands().action(QString::fromLatin1(name));
    QVERIFY2(a, name);
    QVERIFY2(a->isEnabled(), name);
    a->trigger();
}

} // namespace corvanta
