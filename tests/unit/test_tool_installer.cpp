#include "install/launcher_script.h"
#include "install/tool_dir.h"
#include "install/tool_fallback.h"
#include "install/tool_installer.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_support.h"
#include "tool_locations.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kToolNames[] = {"ffmpeg", "ffprobe", "mencoder", "mp4creator", "mplayer", "pack3gp"};

QByteArray ReadAll(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QByteArray &path, const QByteArray &content)
{
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// Installs everything the way the main window's initialisation does.
void InstallAll(const QByteArray &toolDir)
{
    for (int selector = 2; selector <= 5; ++selector)
        ExtractTool(toolDir, selector);
    for (int selector = 1; selector <= 6; ++selector)
        ExtractCodec(toolDir, selector);
}

time_t ModificationTime(const QByteArray &path)
{
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 ? info.st_mtime : 0;
}

void SetModificationTime(const QByteArray &path, time_t when)
{
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0) << path.constData();
}

class ToolInstallerTest : public ::testing::Test {
protected:
    // A tools folder whose parent does not exist yet, as on a fresh account
    // without ~/.local/share.
    QByteArray m_toolDir = QFile::encodeName(MakeTempDir()) + "/share/Q9TBR/";

    QByteArray ToolPath(const char *name) const { return m_toolDir + name; }
    // The launcher of the player or the encoder: with the stand-in SMB library
    // of the Codecs folder when the installed tools take it.
    QByteArray PlayerLauncher(const char *program) const
    {
        return LauncherScript(program, Q9_SMB_STUB ? m_toolDir + "Codecs" : QByteArray());
    }
};

TEST_F(ToolInstallerTest, WritesTheExecutablesAndTheCodecsFolder)
{
    for (int selector = 2; selector <= 5; ++selector)
        EXPECT_EQ(ExtractTool(m_toolDir, selector), 1) << selector;
    for (int selector = 1; selector <= 6; ++selector)
        EXPECT_EQ(ExtractCodec(m_toolDir, selector), 0) << selector;

    QDir dir(QFile::decodeName(m_toolDir));
    EXPECT_EQ(dir.entryList(QDir::Files, QDir::Name),
              QStringList({"ffmpeg", "ffprobe", "mencoder", "mp4creator", "mplayer", "pack3gp"}));
    EXPECT_EQ(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList({"Codecs"}));
    EXPECT_EQ(QDir(dir.filePath("Codecs")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              Q9_SMB_STUB ? QStringList({"libsmbclient.so.0"}) : QStringList());
    for (const char *name : kToolNames) {
        struct stat info {};
        ASSERT_EQ(::stat(ToolPath(name).constData(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 07777, 0755u) << name;
    }
}

TEST_F(ToolInstallerTest, InstalledToolsRun)
{
    InstallAll(m_toolDir);
    QByteArray output;
    RunProgram(QFile::decodeName(ToolPath("mplayer")), {}, &output);
    EXPECT_TRUE(output.contains("MPlayer")) << output.constData();
    RunProgram(QFile::decodeName(ToolPath("mencoder")), {}, &output);
    EXPECT_TRUE(output.contains("MEncoder")) << output.constData();
    if (Q9_SMB_STUB) {
        // The encoder binds the stand-in, and none of the real SMB library's
        // hundred-odd libraries.
        qputenv("LD_DEBUG", "files");
        RunProgram(QFile::decodeName(ToolPath("mencoder")), {}, &output);
        qunsetenv("LD_DEBUG");
        EXPECT_TRUE(output.contains("Codecs/libsmbclient.so.0"));
        EXPECT_FALSE(output.contains("samba"));
        EXPECT_TRUE(output.contains("MEncoder"));
    }
    EXPECT_EQ(RunProgram(QFile::decodeName(ToolPath("ffmpeg")), {"-version"}, &output), 0);
    EXPECT_TRUE(output.startsWith("ffmpeg version")) << output.constData();
    EXPECT_NE(RunProgram(QFile::decodeName(ToolPath("mp4creator")), {}, &output), 0);
    EXPECT_TRUE(output.contains("usage: mp4creator -c")) << output.constData();
}

TEST_F(ToolInstallerTest, ContentIsTheLaunchersAndTheWholeMuxer)
{
    InstallAll(m_toolDir);
    EXPECT_EQ(ReadAll(ToolPath("ffmpeg")), LauncherScript(Q9_FFMPEG_PATH));
    EXPECT_EQ(ReadAll(ToolPath("ffprobe")), LauncherScript(Q9_FFPROBE_PATH));
    EXPECT_EQ(ReadAll(ToolPath("mencoder")), PlayerLauncher(Q9_MENCODER_PATH));
    EXPECT_EQ(ReadAll(ToolPath("mplayer")), PlayerLauncher(Q9_MPLAYER_PATH));
    EXPECT_TRUE(ReadAll(ToolPath("mplayer")).startsWith("#!/bin/sh\n"));
    const QByteArray muxer = ReadAll(Q9_MP4CREATOR_PATH);
    ASSERT_FALSE(muxer.isEmpty());
    EXPECT_EQ(ReadAll(ToolPath("mp4creator")), muxer);
    EXPECT_EQ(ReadAll(ToolPath("pack3gp")), ReadAll(Q9_PACK3GP_PATH));
}

TEST_F(ToolInstallerTest, EveryInstallRewritesEveryFile)
{
    InstallAll(m_toolDir);
    const time_t old = 978307200;  // 2001-01-01
    for (const char *name : kToolNames)
        SetModificationTime(ToolPath(name), old);
    // A longer stale file must come out truncated to the new content.
    const QByteArray stale(300000, 'x');
    ASSERT_TRUE(WriteAll(ToolPath("mplayer"), stale));
    ASSERT_TRUE(WriteAll(ToolPath("mp4creator"), stale));
    SetModificationTime(ToolPath("mplayer"), old);
    SetModificationTime(ToolPath("mp4creator"), old);

    InstallAll(m_toolDir);
    for (const char *name : kToolNames)
        EXPECT_GT(ModificationTime(ToolPath(name)), old) << name;
    EXPECT_EQ(ReadAll(ToolPath("mplayer")), PlayerLauncher(Q9_MPLAYER_PATH));
    EXPECT_EQ(ReadAll(ToolPath("mp4creator")), ReadAll(Q9_MP4CREATOR_PATH));
}

TEST_F(ToolInstallerTest, ExecutableBitIsRestored)
{
    InstallAll(m_toolDir);
    ASSERT_EQ(::chmod(ToolPath("ffmpeg").constData(), 0600), 0);
    EXPECT_EQ(ExtractTool(m_toolDir, 2), 1);
    struct stat info {};
    ASSERT_EQ(::stat(ToolPath("ffmpeg").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u);
}

TEST_F(ToolInstallerTest, DeletedMuxerComesBack)
{
    InstallAll(m_toolDir);
    ASSERT_TRUE(QFile::remove(QFile::decodeName(ToolPath("mp4creator"))));
    InstallAll(m_toolDir);
    EXPECT_EQ(ReadAll(ToolPath("mp4creator")), ReadAll(Q9_MP4CREATOR_PATH));
}

TEST_F(ToolInstallerTest, UnknownSelectorsWriteNothing)
{
    for (int selector : {-1, 0, 1, 6, 7, 133})
        EXPECT_EQ(ExtractTool(m_toolDir, selector), 0) << selector;
    EXPECT_TRUE(QDir(QFile::decodeName(m_toolDir)).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    EXPECT_EQ(ExtractCodec(m_toolDir, 99), 0);
}

TEST_F(ToolInstallerTest, RunningToolIsLeftAloneWhileTheOthersAreWritten)
{
    InstallAll(m_toolDir);
    // A real binary in mp4creator's place, running: its file cannot be opened
    // for writing (ETXTBSY).
    const QByteArray sleeper = ReadAll("/bin/sleep");
    ASSERT_FALSE(sleeper.isEmpty());
    ASSERT_TRUE(WriteAll(ToolPath("mp4creator"), sleeper));
    ASSERT_EQ(::chmod(ToolPath("mp4creator").constData(), 0755), 0);
    QProcess running;
    running.start(QFile::decodeName(ToolPath("mp4creator")), {"30"});
    ASSERT_TRUE(running.waitForStarted());
    for (const char *name : {"ffmpeg", "mencoder", "mplayer"})
        SetModificationTime(ToolPath(name), 978307200);

    EXPECT_EQ(ExtractTool(m_toolDir, 4), 0);
    EXPECT_EQ(ReadAll(ToolPath("mp4creator")), sleeper);
    EXPECT_EQ(ExtractTool(m_toolDir, 2), 1);
    EXPECT_EQ(ExtractTool(m_toolDir, 3), 1);
    EXPECT_EQ(ExtractTool(m_toolDir, 5), 1);
    for (const char *name : {"ffmpeg", "mencoder", "mplayer"})
        EXPECT_GT(ModificationTime(ToolPath(name)), 978307200) << name;

    running.kill();
    running.waitForFinished();
    EXPECT_EQ(ExtractTool(m_toolDir, 4), 1);
    EXPECT_EQ(ReadAll(ToolPath("mp4creator")), ReadAll(Q9_MP4CREATOR_PATH));
}

TEST_F(ToolInstallerTest, FolderThatCannotBeCreatedSkipsEveryFile)
{
    // A plain file where a parent folder should be: nothing can be created
    // below it, whoever runs the test.
    const QByteArray blocker = QFile::encodeName(MakeTempDir()) + "/blocker";
    ASSERT_TRUE(WriteAll(blocker, "not a folder"));
    const QByteArray toolDir = blocker + "/Q9TBR/";
    LogCapture log;
    for (int selector = 2; selector <= 5; ++selector)
        EXPECT_EQ(ExtractTool(toolDir, selector), 0) << selector;
    EXPECT_EQ(ExtractCodec(toolDir, 1), 0);
    EXPECT_EQ(ReadAll(blocker), QByteArray("not a folder"));

    // The program goes on, but each skipped tool leaves a trace with its path and reason.
    for (const char *name : kToolNames)
        EXPECT_TRUE(log.warned(QString::fromUtf8(toolDir + name) + ": Not a directory"))
            << log.warnings().join('\n').toStdString();
}

// The launcher must hand over every argument byte for byte, and work for a
// program whose path the shell would otherwise split or interpret.
TEST(LauncherScriptTest, PassesArgumentsUnchangedToAnyPath)
{
    const QByteArray dir = QFile::encodeName(MakeTempDir());
    const QByteArray program = dir + "/it's a \"tool\" $HOME `x` 中文";
    ASSERT_TRUE(WriteAll(program, "#!/bin/sh\nfor a in \"$LD_LIBRARY_PATH\" \"$@\"; do printf '[%s]\\n' \"$a\"; done\n"));
    ASSERT_EQ(::chmod(program.constData(), 0755), 0);
    const QByteArray launcher = dir + "/launcher";
    // The library folder comes first, before whatever the environment had.
    ASSERT_TRUE(WriteAll(launcher, LauncherScript(program, dir + "/it's $lib")));
    ASSERT_EQ(::chmod(launcher.constData(), 0755), 0);

    QByteArray output;
    const QStringList arguments = {"a b", "it's", "\"q\"", "", "$HOME", "*", "中文"};
    qputenv("LD_LIBRARY_PATH", "/opt/x");
    ASSERT_EQ(RunProgram(QFile::decodeName(launcher), arguments, &output), 0);
    qunsetenv("LD_LIBRARY_PATH");
    EXPECT_EQ(output, "[" + dir + "/it's $lib:/opt/x]\n" +
                          QByteArray("[a b]\n[it's]\n[\"q\"]\n[]\n[$HOME]\n[*]\n[中文]\n"));
}

// Sets an environment variable for one scope, or unsets it for a null value.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// A tools folder that cannot take the tools (below a plain file, which stops
// root too): they are written into a folder of this user's alone and run from
// there, packers included, so MP4 and 3GP rows still work.
TEST(ToolFallbackTest, AnUnwritableToolsFolderGivesWayToAPrivateOne)
{
    const QByteArray writable = QFile::encodeName(MakeTempDir()) + "/Q9TBR/";
    ASSERT_TRUE(InstallTools(writable));
    EXPECT_EQ(ChooseToolDir(writable).source, ToolSource::Usual);

    const QByteArray blocker = QFile::encodeName(MakeTempDir()) + "/blocker";
    ASSERT_TRUE(WriteAll(blocker, "not a folder"));
    const QByteArray usual = blocker + "/Q9TBR/";
    EXPECT_FALSE(InstallTools(usual));

    const QByteArray runtime = QFile::encodeName(MakeTempDir());
    const QByteArray temp = QFile::encodeName(MakeTempDir());
    const QByteArray ours = temp + "/q9plemo-tools-" + QByteArray::number(::geteuid());
    struct Case {
        const char *what;
        QByteArray runtimeDir;
        bool linkTaken;  // the temporary folder's name is a link someone left
        QByteArray expected;  // empty: a fresh "q9plemo-tools-XXXXXX" in `temp`
    };
    const Case cases[] = {
        {"the session's runtime folder", runtime, false, runtime + "/q9plemo-tools/"},
        {"no runtime folder: the temporary folder", QByteArray(), false, ours + '/'},
        {"the temporary folder's name is a link", QByteArray(), true, QByteArray()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", c.runtimeDir);
        ScopedEnv tempEnv("TMPDIR", temp);
        if (c.linkTaken) {
            QDir(QFile::decodeName(ours)).removeRecursively();
            ASSERT_EQ(::symlink(runtime.constData(), ours.constData()), 0);
        }
        const ToolChoice choice = ChooseToolDir(usual);
        EXPECT_EQ(choice.source, ToolSource::Private);
        if (c.expected.isEmpty()) {
            EXPECT_TRUE(choice.dir.startsWith(temp + "/q9plemo-tools-")) << choice.dir.constData();
            EXPECT_NE(choice.dir, ours + '/');
        } else {
            EXPECT_EQ(choice.dir, c.expected);
        }
        struct stat info {};
        ASSERT_EQ(::lstat(choice.dir.chopped(1).constData(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 07777, 0700u);
        for (const char *packer : {"mp4creator", "pack3gp"}) {
            QByteArray output;
            EXPECT_NE(RunProgram(QFile::decodeName(choice.dir + packer), {}, &output), 0);
            EXPECT_TRUE(output.contains(QByteArray("usage: ") + packer)) << packer << output.constData();
        }
        EXPECT_TRUE(ToolDirComplete(choice.dir));
    }
}

class DefaultToolDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        m_xdg = qgetenv("XDG_DATA_HOME");
        m_home = qgetenv("HOME");
    }
    void TearDown() override
    {
        if (m_hadXdg)
            qputenv("XDG_DATA_HOME", m_xdg);
        else
            qunsetenv("XDG_DATA_HOME");
        qputenv("HOME", m_home);
    }
    bool m_hadXdg = false;
    QByteArray m_xdg, m_home;
};

TEST_F(DefaultToolDirTest, FollowsTheDataFolderRules)
{
    qputenv("HOME", "/home/tester");
    qputenv("XDG_DATA_HOME", "/data/share");
    EXPECT_EQ(DefaultToolDir(), QByteArray("/data/share/Q9TBR/"));
    qputenv("XDG_DATA_HOME", "/data/share/");
    EXPECT_EQ(DefaultToolDir(), QByteArray("/data/share/Q9TBR/"));
    qputenv("XDG_DATA_HOME", "relative/share");  // invalid: ignored
    EXPECT_EQ(DefaultToolDir(), QByteArray("/home/tester/.local/share/Q9TBR/"));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DefaultToolDir(), QByteArray("/home/tester/.local/share/Q9TBR/"));
    qputenv("HOME", "/");
    EXPECT_EQ(DefaultToolDir(), QByteArray("/.local/share/Q9TBR/"));
}

}  // namespace
