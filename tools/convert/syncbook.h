#pragma once

#include <QStringList>

// corvanta-convert --sync URL --user NAME book.cvt: syncs a native
// document with a CardDAV address book and saves it. The exit status.
int syncBook(const QStringList& args, int argc, char** argv);
