#include "install/tool_installer.h"

#include "base/eintr.h"
#include "base/log.h"
#include "install/launcher_script.h"
#include "tool_locations.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Our own muxer, embedded whole by install/embedded_mp4creator.S.
extern "C" const unsigned char q9_mp4creator_begin[];
extern "C" const unsigned char q9_mp4creator_end[];
// Our own 3GP packer, embedded whole by install/embedded_pack3gp.S.
extern "C" const unsigned char q9_pack3gp_begin[];
extern "C" const unsigned char q9_pack3gp_end[];
// The player's and the encoder's stand-in SMB library, embedded whole by
// install/embedded_smb_stub.S.
extern "C" const unsigned char q9_smb_stub_begin[];
extern "C" const unsigned char q9_smb_stub_end[];

namespace {

// Inside single quotes the shell takes every byte literally, except the
// single quote itself, which is closed, escaped and reopened.
QByteArray ShellQuoted(QByteArray text)
{
    text.replace('\'', "'\\''");
    return '\'' + text + '\'';
}

}  // namespace

QByteArray LauncherScript(const QByteArray &programPath, const QByteArray &libraryDir)
{
    QByteArray script = "#!/bin/sh\n";
    if (!libraryDir.isEmpty())
        script += "LD_LIBRARY_PATH=" + ShellQuoted(libraryDir) +
                  "${LD_LIBRARY_PATH:+:\"$LD_LIBRARY_PATH\"}\nexport LD_LIBRARY_PATH\n";
    return script + "exec " + ShellQuoted(programPath) + " \"$@\"\n";
}

namespace {

// Creates `dir` and any missing parents. The parents' results are ignored
// (they usually exist); a folder that cannot be made is logged, and shows up
// again as files that cannot be written.
void MakeFolder(const QByteArray &dir)
{
    for (qsizetype slash = dir.indexOf('/', 1); slash >= 0; slash = dir.indexOf('/', slash + 1))
        ::mkdir(dir.left(slash).constData(), 0755);
    if (::mkdir(dir.constData(), 0755) != 0 && errno != EEXIST)
        qCWarning(lcQ9, "cannot create the tools folder %s: %s", dir.constData(), std::strerror(errno));
}

// Writes `size` bytes as the whole content of `path` (created, or truncated
// when it exists) and makes it executable. An existing file that cannot be
// opened for writing, such as a program that is running (ETXTBSY), is left as
// it was.
int WriteExecutable(const QByteArray &path, const unsigned char *data, std::size_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (fd < 0) {
        qCWarning(lcQ9, "cannot write the tool %s: %s", path.constData(), std::strerror(errno));
        return 0;
    }
    bool complete = true;
    while (size > 0) {
        const ssize_t written = RetryOnEintr([&] { return ::write(fd, data, size); });
        if (written <= 0) {
            qCWarning(lcQ9, "writing the tool %s stopped with %zu bytes left: %s", path.constData(), size,
                      written < 0 ? std::strerror(errno) : "nothing written");
            complete = false;
            break;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    ::close(fd);
    if (::chmod(path.constData(), 0755) != 0)
        qCWarning(lcQ9, "cannot make the tool %s executable: %s", path.constData(), std::strerror(errno));
    return complete ? 1 : 0;
}

int WriteLauncher(const QByteArray &path, const char *programPath, const QByteArray &libraryDir = {})
{
    const QByteArray script = LauncherScript(QByteArray(programPath), libraryDir);
    return WriteExecutable(path, reinterpret_cast<const unsigned char *>(script.constData()),
                           static_cast<std::size_t>(script.size()));
}

// The launcher of the player or the encoder. Both are linked with an SMB
// client library that brings in over a hundred more, and binding them cost
// each start about 45 ms; when the installed tools need only the calls of our
// stand-in (tools/smb_stub), it is written into the Codecs folder and found
// there first.
int WritePlayerLauncher(const QByteArray &toolDir, const char *name, const char *programPath)
{
    if (!Q9_SMB_STUB)
        return WriteLauncher(toolDir + name, programPath);
    const QByteArray libraries = toolDir + "Codecs";
    MakeFolder(libraries);
    // A tool running from another window has the library mapped: it is
    // replaced whole by a rename, never truncated under it.
    const QByteArray library = libraries + "/libsmbclient.so.0";
    const QByteArray fresh = library + ".new";
    const int stub =
        WriteExecutable(fresh, q9_smb_stub_begin, static_cast<std::size_t>(q9_smb_stub_end - q9_smb_stub_begin)) &&
        ::rename(fresh.constData(), library.constData()) == 0;
    if (!stub)
        qCWarning(lcQ9, "cannot write %s: %s", library.constData(), std::strerror(errno));
    return WriteLauncher(toolDir + name, programPath, stub ? libraries : QByteArray()) && stub;
}

}  // namespace

int ExtractTool(const QByteArray &toolDir, int selector)
{
    if (toolDir.isEmpty())
        return 0;  // never write tools into whatever the current folder is
    MakeFolder(toolDir);
    switch (selector) {
    case 2: {
        // ffprobe comes with ffmpeg; it reads how a source's picture is turned.
        const int ffmpeg = WriteLauncher(toolDir + "ffmpeg", Q9_FFMPEG_PATH);
        const int ffprobe = WriteLauncher(toolDir + "ffprobe", Q9_FFPROBE_PATH);
        return ffmpeg && ffprobe ? 1 : 0;
    }
    case 3:
        return WritePlayerLauncher(toolDir, "mencoder", Q9_MENCODER_PATH);
    case 4: {
        // The muxers: mp4creator packs MP4 files, pack3gp 3GP files.
        const int mp4 = WriteExecutable(toolDir + "mp4creator", q9_mp4creator_begin,
                                        static_cast<std::size_t>(q9_mp4creator_end - q9_mp4creator_begin));
        const int threeGp = WriteExecutable(toolDir + "pack3gp", q9_pack3gp_begin,
                                            static_cast<std::size_t>(q9_pack3gp_end - q9_pack3gp_begin));
        return mp4 && threeGp ? 1 : 0;
    }
    case 5:
        return WritePlayerLauncher(toolDir, "mplayer", Q9_MPLAYER_PATH);
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

bool InstallTools(const QByteArray &toolDir)
{
    bool written = true;
    for (int selector = 2; selector <= 5; ++selector)
        written = ExtractTool(toolDir, selector) && written;
    for (int selector = 1; selector <= 6; ++selector)
        ExtractCodec(toolDir, selector);
    return written;
}
