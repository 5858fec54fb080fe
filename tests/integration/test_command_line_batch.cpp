// `q9plemo --convert` on a machine without a display: the built program
// converts a folder's tree of clips, with one line per row, and refuses a
// format it does not make.

#include "tests/support/media_probe.h"
#include "tests/support/test_support.h"
#include "ui/status_texts.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <ostream>
#include <random>

void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

struct ProgramRun {
    int exitCode = -1;
    QStringList lines;  // standard output
    QByteArray errors;
};

// Runs the program with no display of any kind, in `folder`.
ProgramRun RunWithoutDisplay(const QString &folder, const QStringList &arguments)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    environment.insert("LC_ALL", "C");  // the rows' texts in the window's source language
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder);
    program.start(Q9_APP_PATH, arguments);
    ProgramRun run;
    if (!program.waitForFinished(-1) || program.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = program.exitCode();
    run.lines = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.errors = program.readAllStandardError();
    return run;
}

void MakeClip(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-f",
                                    "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", "1.5", "-c:v",
                                    "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", path}),
              0);
}

TEST(CommandLineBatch, ConvertsAFoldersTreeWithoutADisplay)
{
    UseTemporaryHome(false);  // the tools go into a fresh home; --output needs no settings
    const QString work = MakeTempDir();
    const QStringList clips{"Trip/day1/clip.mp4", "Trip/day2/clip.mp4", "Trip/day2/evening/last.mp4"};
    for (const QString &clip : clips)
        MakeClip(work + '/' + clip);
    // A file that only calls itself a video: random bytes.
    QFile broken(work + "/Trip/day2/broken.avi");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    std::mt19937 random(7);
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random() & 0xff);
    broken.write(bytes);
    broken.close();

    const ProgramRun run = RunWithoutDisplay(work, {"--convert", "--format", "flv", "--output", "out", "Trip"});
    EXPECT_EQ(run.exitCode, 1) << run.errors.toStdString();

    // Exactly the clips, each where its tree puts it, and nothing half-made.
    QStringList made;
    for (QDirIterator it(work + "/out", QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        made << QDir(work + "/out").relativeFilePath(it.next());
    made.sort();
    EXPECT_EQ(made, (QStringList{"Trip/day1/clip.flv", "Trip/day2/clip.flv", "Trip/day2/evening/last.flv"}));
    for (const QString &file : made) {
        const MediaInfo media = ProbeMedia(work + "/out/" + file);
        EXPECT_EQ(media.container, "flv") << file.toStdString();
        EXPECT_EQ(media.streams.value("video").codec, "flv1") << file.toStdString();
        EXPECT_EQ(media.streams.value("video").width, 320) << file.toStdString();
        EXPECT_EQ(media.streams.value("audio").codec, "mp3") << file.toStdString();
        EXPECT_NEAR(media.duration, 1.5, 0.3) << file.toStdString();
    }

    // One line per row, worded as the window's state column words it.
    ASSERT_EQ(run.lines.size(), 4) << run.lines.join('\n').toStdString();
    const QString done = ShownRowState({RowPhase::Done});
    for (const QString &clip : clips) {
        const QString flv = QString(clip).replace(".mp4", ".flv");
        EXPECT_TRUE(run.lines.contains(work + '/' + clip + ": " + done + " -> " + work + "/out/" + flv))
            << run.lines.join('\n').toStdString();
    }
    const QString failed = QCoreApplication::translate("RowStateText", RowStateText::kFailedPrefix);
    EXPECT_EQ(run.lines.filter(work + "/Trip/day2/broken.avi: " + failed).size(), 1)
        << run.lines.join('\n').toStdString();
}

TEST(CommandLineBatch, AFormatItDoesNotMakeIsABadArgument)
{
    const ProgramRun run = RunWithoutDisplay(MakeTempDir(), {"--convert", "--format", "avi", "clip.mp4"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errors.contains("--format avi")) << run.errors.toStdString();
    EXPECT_TRUE(run.lines.isEmpty());
}

}  // namespace
