#include "engine/output_naming.h"

#include <QFileInfo>

namespace {

bool NameTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();  // a dangling link would be written through
}

bool StemFree(const QString &stem, OutputFormat format, const QSet<QString> &reserved)
{
    if (reserved.contains(stem))
        return false;
    for (const QString &extension : RowFileExtensions(format)) {
        if (NameTaken(stem + extension))
            return false;
    }
    return true;
}

QString TimeText(const QTime &localTime)
{
    return QString::asprintf("%02d-%02d-%02d", localTime.hour(), localTime.minute(), localTime.second());
}

// The source's file name without its last extension.
QString SourceBaseName(const QString &source)
{
    const QString name = source.mid(source.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

}  // namespace

QStringList RowFileExtensions(OutputFormat format)
{
    const FormatSteps &steps = StepsFor(format);
    QStringList extensions{QLatin1String(steps.finalExtension)};
    for (const char *extension : {steps.encoderExtension, kTimedCopyExtension}) {
        if (!extensions.contains(QLatin1String(extension)))
            extensions << QLatin1String(extension);
    }
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

QString SafeFileStem(const QString &name)
{
    QString safe;
    qsizetype bytes = 0;
    bool leading = true;
    for (const char32_t code : name.toUcs4()) {
        char32_t kept = code;
        if (code == U'/' || code < 0x20 || code == 0x7f || (leading && code == U'.'))
            kept = U'_';
        leading = false;
        const QString piece = QString::fromUcs4(&kept, 1);
        bytes += piece.toUtf8().size();
        if (bytes > kMaxStemBytes)
            break;
        safe += piece;
    }
    return safe.isEmpty() ? QStringLiteral("video") : safe;
}

QString OutputNames::reserve(const QString &folder, const QString &source, OutputFormat format, OutputNaming naming,
                             const QTime &localTime)
{
    const QMutexLocker locker(&m_lock);
    const bool byTime = naming == OutputNaming::TimeOfDay;
    const QString base = folder + (byTime ? TimeText(localTime) : SafeFileStem(SourceBaseName(source)));
    QString stem = base;
    for (int counter = 2; !StemFree(stem, format, m_stems); ++counter)
        stem = base + (byTime ? QStringLiteral("-%1") : QStringLiteral(" (%1)")).arg(counter);
    m_stems.insert(stem);
    return stem + EncoderOutputExtension(format);
}

void OutputNames::release(const QString &output)
{
    const QMutexLocker locker(&m_lock);
    m_stems.remove(OutputStem(output));
}

bool FileHasContent(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}
