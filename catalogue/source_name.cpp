#include "catalogue/source_name.h"

#include "base/log.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace {

// The folder of links for names that are not UTF-8, made on first need.
class NameLinks {
public:
    QString linkFor(const QByteArray &name)
    {
        std::lock_guard lock(m_mutex);
        if (!m_folder) {
            const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
            const QString base = !runtime.isEmpty() && QFileInfo(runtime).isWritable() ? runtime : QDir::tempPath();
            m_folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("/q9plemo-names-XXXXXX"));
        }
        if (!m_folder->isValid())
            return {};
        // Named after the bytes (same bytes, same link), keeping the
        // extension: the tools and the probe go by it.
        const QString hash =
            QString::fromLatin1(QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(16));
        const qsizetype dot = name.lastIndexOf('.');
        const qsizetype slash = name.lastIndexOf('/');
        QString extension;
        if (dot > slash && dot >= 0)
            extension = QString::fromLatin1(name.mid(dot));
        if (!IsUtf8Name(extension.toLatin1()))
            extension.clear();
        const QString link = m_folder->filePath(hash + extension);
        const QByteArray linkBytes = QFile::encodeName(link);
        const QByteArray target = name.startsWith('/') ? name : QFile::encodeName(QDir::currentPath()) + '/' + name;
        if (!QFileInfo::exists(link) && symlink(target.constData(), linkBytes.constData()) != 0) {
            qCWarning(lcQ9) << "cannot make a link to a file whose name is not UTF-8:" << ShownName(name);
            return {};
        }
        return link;
    }

private:
    std::mutex m_mutex;
    std::unique_ptr<QTemporaryDir> m_folder;
};

NameLinks &Links()
{
    static NameLinks links;
    return links;
}

}  // namespace

bool IsUtf8Name(const QByteArray &name)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(name);
    return !decoder.hasError();
}

QString ShownName(const QByteArray &name)
{
    if (IsUtf8Name(name))
        return QString::fromUtf8(name);
    QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
    if (gb.isValid()) {
        const QString text = gb.decode(name);
        if (!gb.hasError())
            return text;
    }
    return QString::fromLatin1(name);
}

QString OpenablePath(const QByteArray &name)
{
    if (IsUtf8Name(name))
        return QString::fromUtf8(name);
    return Links().linkFor(name);
}

QByteArray NameBytes(const QString &path)
{
    return QFile::encodeName(path);
}
