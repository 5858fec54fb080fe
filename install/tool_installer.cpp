#include "install/tool_installer.h"

#include "engine/eintr.h"
#include "install/launcher_script.h"
#include "tool_locations.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Our own muxer, embedded whole by install/embedded_mp4creator.S.
extern "C" const unsigned char q9_mp4creator_begin[];
extern "C" const unsigned char q9_mp4creator_end[];

QByteArray LauncherScript(const QByteArray &programPath)
{
    // Inside single quotes the shell takes every byte literally, except the
    // single quote itself, which is closed, escaped and reopened.
    QByteArray quoted = programPath;
    quoted.replace('\'', "'\\''");
    return "#!/bin/sh\nexec '" + quoted + "' \"$@\"\n";
}

namespace {

// Creates `dir` and any missing parents. Results are ignored: the folder
// usually exists, and a folder that cannot be made shows up as files that
// cannot be written.
void MakeFolder(const QByteArray &dir)
{
    for (qsizetype slash = dir.indexOf('/', 1); slash >= 0; slash = dir.indexOf('/', slash + 1))
        ::mkdir(dir.left(slash).constData(), 0755);
    ::mkdir(dir.constData(), 0755);
}

// Writes `size` bytes as the whole content of `path` (created, or truncated
// when it exists) and makes it executable. An existing file that cannot be
// opened for writing, such as a program that is running (ETXTBSY), is left as
// it was.
int WriteExecutable(const QByteArray &path, const unsigned char *data, std::size_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (fd < 0)
        return 0;
    bool complete = true;
    while (size > 0) {
        const ssize_t written = RetryOnEintr([&] { return ::write(fd, data, size); });
        if (written <= 0) {
            complete = false;
            break;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    ::close(fd);
    ::chmod(path.constData(), 0755);
    return complete ? 1 : 0;
}

int WriteLauncher(const QByteArray &path, const char *programPath)
{
    const QByteArray script = LauncherScript(QByteArray(programPath));
    return WriteExecutable(path, reinterpret_cast<const unsigned char *>(script.constData()),
                           static_cast<std::size_t>(script.size()));
}

}  // namespace

int ExtractTool(const QByteArray &toolDir, int selector)
{
    if (toolDir.isEmpty())
        return 0;  // never write tools into whatever the current folder is
    MakeFolder(toolDir);
    switch (selector) {
    case 2:
        return WriteLauncher(toolDir + "ffmpeg", Q9_FFMPEG_PATH);
    case 3:
        return WriteLauncher(toolDir + "mencoder", Q9_MENCODER_PATH);
    case 4:
        return WriteExecutable(toolDir + "mp4creator", q9_mp4creator_begin,
                               static_cast<std::size_t>(q9_mp4creator_end - q9_mp4creator_begin));
    case 5:
        return WriteLauncher(toolDir + "mplayer", Q9_MPLAYER_PATH);
    default:
        return 0;
    }
}

int ExtractCodec(const QByteArray &toolDir, int selector)
{
    Q_UNUSED(selector);  // the installed tools need no codec libraries
    if (!toolDir.isEmpty())
        MakeFolder(toolDir + "Codecs/");
    return 0;
}
