#pragma once

#include "commands/commandset.h"
#include "shell/mainwindow.h"

#include <QAction>
#include <QByteArray>
#include <QFile>
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

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace corvanta
