#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace corvanta {

// Text as a search that ignores case and accents sees it: lower case (case
// folded), accents dropped ("Zoë" -> "zoe"), letters that carry a stroke
// rather than an accent turned into their plain letter ("Łódź" -> "lodz"),
// control characters (TAB, line breaks) turned into spaces. The result is
// UTF-8, so that a search compares bytes.
QByteArray foldedText(QStringView text);

// Whether every byte of `s` is 7-bit ASCII.
bool isAscii(QByteArrayView s);

// The same for a cell's UTF-8, appended to `out`; ASCII cells, nearly all
// of an address book, are folded byte by byte without decoding.
void appendFolded(QByteArrayView utf8, QByteArray& out);

} // namespace corvanta
