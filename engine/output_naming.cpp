#include "engine/output_naming.h"

#include <QFileInfo>

namespace {

// Every file a row's steps write or delete next to its stem.
const char *const g_stemSiblings[] = {".avi", ".flv", ".3gp", ".mp4", ".m4v", ".aac", ".264"};

bool NameTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();  // a dangling link would be written through
}

bool StemFree(const QString &stem)
{
    for (const char *extension : g_stemSiblings) {
        if (NameTaken(stem + QLatin1String(extension)))
            return false;
    }
    return true;
}

} // namespace

QString EncoderOutputExtension(OutputFormat format)
{
    return format == OutputFormat::Flv ? QStringLiteral(".flv") : QStringLiteral(".avi");
}

QString OutputStem(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(dot);
}

QString MakeOutputFileName(const QString &folder, OutputFormat format, const QTime &localTime)
{
    const QString base = folder + QString::asprintf("%02d-%02d-%02d", localTime.hour(), localTime.minute(),
                                                    localTime.second());
    QString stem = base;
    for (int counter = 2; !StemFree(stem); ++counter)
        stem = base + QStringLiteral("-%1").arg(counter);
    return stem + EncoderOutputExtension(format);
}

bool FileHasContent(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}
