#include "files/fileformat.h"

#include <QFileInfo>

namespace corvanta {

std::optional<FileFormat> formatOfPath(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"cvt" || ext == u"vti" || ext == u"qrf")
        return FileFormat::Native;
    if (ext == u"csv")
        return FileFormat::Comma;
    if (ext == u"txt" || ext == u"tsv" || ext == u"tab")
        return FileFormat::Tab;
    if (ext == u"vcf" || ext == u"vcard")
        return FileFormat::Vcard;
    return std::nullopt;
}

} // namespace corvanta
