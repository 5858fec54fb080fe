#include "engine/output_naming.h"

#include <QFileInfo>

namespace {

bool NameTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();  // a dangling link would be written through
}

bool StemFree(const QString &stem)
{
    for (const QString &extension : RowFileExtensions()) {
        if (NameTaken(stem + extension))
            return false;
    }
    return true;
}

}  // namespace

const QStringList &RowFileExtensions()
{
    static const QStringList extensions{QStringLiteral(".avi"), QStringLiteral(".flv"), QStringLiteral(".3gp"),
                                        QStringLiteral(".mp4"), QStringLiteral(".m4v"), QStringLiteral(".aac"),
                                        QStringLiteral(".264"), QStringLiteral(".mkv")};
    return extensions;
}

QString EncoderOutputExtension(OutputFormat format)
{
    return QLatin1String(StepsFor(format).encoderExtension);
}

QString OutputStem(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.left(dot);
}

QString MakeOutputFileName(const QString &folder, OutputFormat format, const QTime &localTime)
{
    const QString base =
        folder + QString::asprintf("%02d-%02d-%02d", localTime.hour(), localTime.minute(), localTime.second());
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
