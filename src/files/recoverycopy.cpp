#include "files/recoverycopy.h"

#include "files/gridfile.h"
#include "files/safefile.h"
#include "grid/tablemodel.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace corvanta {

namespace {

const QString kCopySuffix = QStringLiteral(".cvt");
const QString kNoteSuffix = QStringLiteral(".doc");

QString notePathOf(const QString& copyPath)
{
    return copyPath.left(copyPath.size() - kCopySuffix.size()) + kNoteSuffix;
}

// The note, in UTF-8: the kind's number on the first line, the document's
// path on the second, then how a delimited document was read: the
// encoding's number, the delimiter's character code, and 1 when its first
// line held the titles. Notes of two lines read as UTF-8 comma text.
bool writeNote(const QString& path, const Document& doc)
{
    AtomicFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QByteArray::number(int(doc.FileKind())) + '\n' + doc.CurrentFile().toUtf8() + '\n' +
            QByteArray::number(int(doc.textEncoding())) + '\n' +
            QByteArray::number(int(uchar(doc.textDelimiter()))) + '\n' +
            (doc.titlesInFirstLine() ? "1\n" : "0\n"));
    return f.commit();
}

// A note is a few short lines; anything larger is not ours.
constexpr qint64 kMaxNoteBytes = 64 * 1024;

bool readNote(const QString& path, RecoveryCopy::Found& found, QString* why)
{
    QFile f;
    // Read as Open reads a document: a FIFO would block the start, a link
    // to a device would never end.
    if (!openInput(f, path, kMaxNoteBytes, why))
        return false;
    const QList<QByteArray> lines = f.read(kMaxNoteBytes).split('\n');
    *why = QStringLiteral("%1 is not a recovery note").arg(QFileInfo(path).fileName());
    if (lines.size() < 2 || lines.at(1).isEmpty())
        return false;
    bool ok = false;
    const int k = lines.at(0).toInt(&ok);
    if (!ok || (k != int(Document::KindNative) && k != int(Document::KindComma) &&
                k != int(Document::KindTab) && k != int(Document::KindVcard)))
        return false;
    found.kind = Document::Kind(k);
    found.documentPath = QString::fromUtf8(lines.at(1));
    if (lines.size() >= 5 && !lines.at(2).isEmpty()) {
        const int encoding = lines.at(2).toInt(&ok);
        if (!ok || encoding < int(TextEncoding::Utf8) || encoding > int(TextEncoding::Windows1252))
            return false;
        const int delimiter = lines.at(3).toInt(&ok);
        if (!ok || (delimiter != ',' && delimiter != ';' && delimiter != '\t'))
            return false;
        found.encoding = TextEncoding(encoding);
        found.delimiter = char(delimiter);
        found.titlesInFirstLine = lines.at(4) != "0";
    }
    return true;
}

} // namespace

RecoveryCopy::RecoveryCopy(Document& document, const TableModel& model, const QString& folder,
                           QObject* parent)
    : QObject(parent), m_doc(document), m_model(model), m_folder(folder)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(DefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_doc.IsModified())
            writeNow();
    });
    connect(&m_model, &TableModel::tableChanged, this, &RecoveryCopy::onTableChanged);
    connect(&m_doc, &Document::modifiedChanged, this, &RecoveryCopy::onModifiedChanged);
    // Whatever replaced the document was preceded by its save or its
    // discarding; the copy of what was there is no longer wanted.
    connect(&m_doc, &Document::loaded, this, &RecoveryCopy::discard);
    connect(&m_doc, &Document::reset, this, &RecoveryCopy::discard);
}

RecoveryCopy::~RecoveryCopy() = default;

QString RecoveryCopy::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/recovery");
}

QString RecoveryCopy::copyNameFor(const QString& documentPath)
{
    // One copy per document, whatever characters its path holds.
    return QString::fromLatin1(
               QCryptographicHash::hash(documentPath.toUtf8(), QCryptographicHash::Sha1).toHex()) +
           kCopySuffix;
}

void RecoveryCopy::setInterval(int ms)
{
    m_timer.setInterval(ms);
}

void RecoveryCopy::onTableChanged()
{
    // The first unsaved change starts the clock; later ones ride on it, so
    // a long session of typing writes once per interval, not once per
    // keystroke. Loading a file changes the table too, but nothing unsaved.
    if (m_doc.IsModified() && !m_timer.isActive())
        m_timer.start();
}

void RecoveryCopy::onModifiedChanged(bool modified)
{
    if (modified) {
        if (!m_timer.isActive())
            m_timer.start();
        return;
    }
    // Saved, or undone back to what is on disk.
    m_timer.stop();
    discard();
}

bool RecoveryCopy::writeNow()
{
    if (!QDir().mkpath(m_folder)) {
        emit writeFailed(QStringLiteral("Cannot create %1").arg(m_folder));
        return false;
    }
    const QString path = m_folder + QLatin1Char('/') + copyNameFor(m_doc.CurrentFile());
    // A save-as since the last copy: the copy under the old name is stale.
    if (!m_copyPath.isEmpty() && m_copyPath != path)
        discard();
    if (FileStatus status = GridFile::save(m_model, path, FileFormat::Native); !status) {
        emit writeFailed(userText(status));
        return false;
    }
    if (!writeNote(notePathOf(path), m_doc)) {
        QFile::remove(path);
        emit writeFailed(QStringLiteral("Cannot write %1").arg(notePathOf(path)));
        return false;
    }
    m_copyPath = path;
    return true;
}

void RecoveryCopy::discard()
{
    m_timer.stop();
    if (m_copyPath.isEmpty())
        return;
    QFile::remove(m_copyPath);
    QFile::remove(notePathOf(m_copyPath));
    m_copyPath.clear();
}

QList<RecoveryCopy::Found> RecoveryCopy::findNewer(const QString& folder)
{
    QList<Found> found;
    const QFileInfoList copies =
        QDir(folder).entryInfoList({QStringLiteral("*") + kCopySuffix}, QDir::Files);
    for (const QFileInfo& copy : copies) {
        Found f;
        f.copyPath = copy.absoluteFilePath();
        f.written = copy.lastModified();
        const QString note = notePathOf(f.copyPath);
        QString why;
        if (!readNote(note, f, &why)) {
            // A copy without its note cannot be offered: nobody knows whose
            // it is. It stays on disk for the user to find.
            if (QFileInfo::exists(note) || QFileInfo(note).isSymLink())
                qWarning().noquote() << QStringLiteral("Skipped the recovery copy %1: %2")
                                            .arg(QDir::toNativeSeparators(f.copyPath), why);
            continue;
        }
        const QFileInfo doc(f.documentPath);
        if (doc.exists() && doc.lastModified() >= f.written) {
            remove(f);
            continue;
        }
        found << f;
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.written > b.written; });
    return found;
}

void RecoveryCopy::remove(const Found& found)
{
    QFile::remove(found.copyPath);
    QFile::remove(notePathOf(found.copyPath));
}

} // namespace corvanta
