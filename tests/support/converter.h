#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

namespace corvanta {

// What a run of the command-line converter (CORVANTA_CONVERT_PATH, set by
// the tests that use it) gave: exit code -1 when it did not end normally.
struct ConvertResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

// `fileSizeLimit` > 0 runs the converter under that RLIMIT_FSIZE with
// SIGXFSZ ignored, so a write past it fails as on a full disk. A `locale`
// is set as LC_ALL, for outputs whose defaults follow it (the paper).
inline ConvertResult convert(const QStringList& args, rlim_t fileSizeLimit = 0,
                             const QString& locale = {})
{
    QProcess p;
    if (!locale.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), locale);
        p.setProcessEnvironment(env);
    }
    if (fileSizeLimit > 0) {
        p.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit = {fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::signal(SIGXFSZ, SIG_IGN); // stays ignored across exec
        });
    }
    p.start(QStringLiteral(CORVANTA_CONVERT_PATH), args);
    // Only a safety net against a hung converter: no run comes near it.
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace corvanta
