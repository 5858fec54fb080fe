#include "catalogue/source_files.h"

#include "catalogue/source_name.h"

#include <QSet>
#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>

namespace {

struct Walk {
    QStringList extensions;
    int limit = 0;
    QSet<QPair<dev_t, ino_t>> visited;
    QList<AddedFile> files;
    bool cut = false;
};

bool HasVideoExtension(const QByteArray &name, const QStringList &extensions)
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot < 0)
        return false;
    return extensions.contains(QString::fromLatin1(name.mid(dot + 1)).toLower());
}

void SortNaturally(QList<QByteArray> &names)
{
    std::stable_sort(names.begin(), names.end(), [](const QByteArray &a, const QByteArray &b) {
        return NaturallyBefore(ShownName(a), ShownName(b));
    });
}

// Walks one folder: its video files first, then its sub-folders.
void WalkFolder(const QByteArray &folder, const QString &subfolder, Walk &walk)
{
    struct stat info {};
    if (stat(folder.constData(), &info) != 0 || walk.visited.contains({info.st_dev, info.st_ino}))
        return;
    walk.visited.insert({info.st_dev, info.st_ino});
    DIR *dir = opendir(folder.constData());
    if (!dir)
        return;
    QList<QByteArray> files, folders;
    while (const dirent *entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat entryInfo {};
        if (stat((folder + '/' + name).constData(), &entryInfo) != 0)
            continue;
        if (S_ISDIR(entryInfo.st_mode))
            folders << name;
        else if (S_ISREG(entryInfo.st_mode) && HasVideoExtension(name, walk.extensions))
            files << name;
    }
    closedir(dir);
    SortNaturally(files);
    SortNaturally(folders);
    for (const QByteArray &name : std::as_const(files)) {
        if (walk.files.size() >= walk.limit) {
            walk.cut = true;
            return;
        }
        walk.files.append({folder + '/' + name, subfolder});
    }
    for (const QByteArray &name : std::as_const(folders)) {
        WalkFolder(folder + '/' + name, subfolder + QLatin1Char('/') + ShownName(name), walk);
        if (walk.cut)
            return;
    }
}

// The path without "." and ".." steps or doubled slashes (the folder's own
// name names its tree).
QByteArray CleanPath(const QByteArray &path)
{
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return '/' + parts.join('/');
}

}  // namespace

bool NaturallyBefore(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype iEnd = i, jEnd = j;
            while (iEnd < a.size() && a[iEnd].isDigit())
                ++iEnd;
            while (jEnd < b.size() && b[jEnd].isDigit())
                ++jEnd;
            const QStringView x = QStringView(a).mid(i, iEnd - i), y = QStringView(b).mid(j, jEnd - j);
            // Compare by value: fewer significant digits is smaller.
            qsizetype xi = 0, yi = 0;
            while (xi + 1 < x.size() && x[xi] == u'0')
                ++xi;
            while (yi + 1 < y.size() && y[yi] == u'0')
                ++yi;
            const QStringView xv = x.mid(xi), yv = y.mid(yi);
            if (xv.size() != yv.size())
                return xv.size() < yv.size();
            if (const int c = xv.compare(yv); c != 0)
                return c < 0;
            i = iEnd;
            j = jEnd;
            continue;
        }
        const QChar x = a[i].toCaseFolded(), y = b[j].toCaseFolded();
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

QList<AddedFile> GatherSourceFiles(const QList<QByteArray> &names, const QByteArray &baseDir,
                                   const QStringList &extensions, int limit, bool *cut)
{
    Walk walk;
    walk.extensions = extensions;
    walk.limit = limit;
    QByteArray base = baseDir;
    if (base.isEmpty()) {
        char *here = get_current_dir_name();
        base = here ? QByteArray(here) : QByteArray("/");
        free(here);
    }
    for (const QByteArray &name : names) {
        if (name.isEmpty())
            continue;
        const QByteArray path = CleanPath(name.startsWith('/') ? name : base + '/' + name);
        struct stat info {};
        if (stat(path.constData(), &info) != 0)
            continue;
        if (walk.files.size() >= limit) {
            walk.cut = true;
            break;
        }
        if (!S_ISDIR(info.st_mode)) {
            walk.files.append({path, QString()});
            continue;
        }
        // A folder's outputs keep their places below a folder named after it.
        const QByteArray own = path.mid(path.lastIndexOf('/') + 1);
        WalkFolder(path, own.isEmpty() ? QString() : ShownName(own), walk);
        if (walk.cut)
            break;
    }
    if (cut)
        *cut = walk.cut;
    return walk.files;
}
