#include "engine/conversion_batch.h"
#include "engine/conversion_worker.h"
#include "tests/support/fake_conversion_port.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <atomic>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

// The worker over fake tools: shell scripts that log what they were asked to
// do, fail on request and wait for the test where it needs a running encoder.
namespace {

const BatchStatus kFinished = BatchStatus::RowFinished;
const BatchStatus kFailed = BatchStatus::RowFailed;
const BatchStatus kExporting = BatchStatus::Exporting;

// The encoder: logs its source; "bad" sources fail like an unreadable file,
// "stuck" ones loop for ever, "short" ones end after 0.7 s of a longer source,
// and "fill" ones write until the volume is full;
// while "<source>.hold" exists it waits. An AVI it writes starts with a header
// that lists an audio stream unless the source is "mute". The raw video run writes
// a raw stream.
const char kFakeEncoder[] = R"(#!/bin/sh
src= out= prev=
for a in "$@"; do
  [ "$prev" = "-o" ] && out=$a
  [ "$a" = "-o" ] && src=$prev
  prev=$a
done
case " $* " in
  *" -of rawvideo "*) printf video > "$out"; exit 0;;
esac
printf '%s\n' "$src" >> "$(dirname "$0")/encoder.log"
echo $$ >> "$(dirname "$0")/encoder.pids"
case "$src" in
  *bad*) echo "Cannot open demuxer."; exit 1;;
  *stuck*) printf partial > "$out"; i=0
           while :; do i=$((i+10)); printf 'Pos: %d.0s 1f ( 0%%)\r' $i; sleep 0.01; done;;
  *short*) printf 'Pos:   0.7s   10f ( 7%%)\r'; printf partial > "$out"; exit 0;;
  *fill*) cat /dev/zero > "$out" 2>/dev/null; echo 'Error while writing frame.'; exit 0;;
esac
while [ -e "$src.hold" ]; do sleep 0.02; done
printf 'Pos:   1.0s     25f (50%%)\r'
: > "$out"
case "$out:$src" in
  *.avi:*mute*) printf 'RIFF\004\000\000\000AVI LIST\004\000\000\000hdrl' > "$out";;
  *.avi:*) printf 'RIFF\004\000\000\000AVI LIST\034\000\000\000hdrlLIST\020\000\000\000strlstrh\004\000\000\000auds' > "$out";;
  # An FLV header and one Sorenson frame of the scaled size (320x240, else 176x144).
  *.flv:*) case " $* " in *scale=320:240*) size='\002\200';; *) size='\001\200';; esac
           printf 'FLV\001\001\000\000\000\011\000\000\000\000\011\000\000\040\000\000\000\000\000\000\000' > "$out"
           printf '\002\000\000\200'"$size"'\000\000\000\000\000\000\000\000\000\000\000\000\000' >> "$out"
           printf '\000\000\000\000\000\000\000\000\000\000\000\000\000\n' >> "$out";;
esac
printf 'converted %s\n' "$src" >> "$out"
)";

// ffmpeg, mp4creator and pack3gp: log their arguments, start their temporary
// (-tmp=PATH), fail when "<tool>.fail" exists in the tools folder, else append
// to their last argument. Asked to write to
// standard output (a look at a picture), they have nothing to show; asked to
// list a written file, they tell nothing of it (a usage error).
const char kFakeWriter[] = R"(#!/bin/sh
dir=$(dirname "$0"); name=$(basename "$0")
[ "$1" = "-list" ] && exit 2
for a in "$@"; do last=$a; done
[ "$last" = "-" ] && exit 1
printf '%s\n' "$*" >> "$dir/$name.log"
for a in "$@"; do case $a in -tmp=*) printf half > "${a#-tmp=}";; esac; done
[ -e "$dir/$name.fail" ] && exit 1
printf '%s\n' "$name" >> "$last"
)";

// ffmpeg making a row's SDR copy: logs its arguments and writes the copy, then
// waits while "<source>.hold" exists.
const char kFakeSdrCopy[] = R"(#!/bin/sh
prev=
for a in "$@"; do [ "$prev" = "-i" ] && src=$a; prev=$a; last=$a; done
[ "$last" = "-" ] && exit 1
printf '%s\n' "$*" >> "$(dirname "$0")/ffmpeg.log"
printf copy > "$last"
while [ -e "$src.hold" ]; do sleep 0.02; done
)";

// ffprobe's look at a source's picture: HLG for sources named so, else BT.709.
const char kFakeColourLook[] = R"(#!/bin/sh
for a in "$@"; do last=$a; done
printf '%s\n' "$last" >> "$(dirname "$0")/ffprobe.log"
printf 'width=1920\nheight=1080\n'
case "$last" in *hlg*) echo color_transfer=arib-std-b67;; *) echo color_transfer=bt709;; esac
)";

void WriteFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QStringList ReadLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    // A fake FLV's header and frame make its first line.
    lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("FLV")); });
    return lines;
}

class ConversionWorker : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_tools = MakeTempDir() + '/';
        m_out = MakeTempDir() + QStringLiteral("/out/");
        m_sources = MakeTempDir() + '/';
        WriteFile(m_tools + "mencoder", kFakeEncoder, true);
        WriteFile(m_tools + "ffmpeg", kFakeWriter, true);
        WriteFile(m_tools + "mp4creator", kFakeWriter, true);
        WriteFile(m_tools + "pack3gp", kFakeWriter, true);
        m_batch.setToolDir(QFile::encodeName(m_tools));
        m_batch.setOutputFolderProvider([this] { return m_out; });
        m_batch.setClock([] { return QTime(12, 0, 0); });
    }
    void TearDown() override
    {
        m_batch.stop();
        EXPECT_TRUE(m_batch.waitIdle(10000));
    }

    QString source(const char *name, bool hold = false)
    {
        const QString path = m_sources + QLatin1String(name);
        WriteFile(path, "not really a video");
        if (hold)
            WriteFile(path + ".hold", "");
        return path;
    }
    void release(const QString &source) { QFile::remove(source + ".hold"); }
    QStringList encoded() const { return ReadLines(m_tools + "encoder.log"); }
    bool waitEncoding(const QString &source)
    {
        return WaitUntil([&] { return encoded().contains(source) && m_batch.encoderPid() != 0; }, 5000);
    }
    void runToEnd(const BatchChoices &choices = {176, 144, 15, 64, OutputFormat::Flv})
    {
        ASSERT_TRUE(m_batch.start(m_port, choices));
        ASSERT_TRUE(m_batch.waitIdle(10000));
    }
    QStringList outputFiles() const { return QDir(m_out).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QString m_tools, m_out, m_sources;
    std::shared_ptr<FakeConversionPort> m_port = std::make_shared<FakeConversionPort>();
    ConversionBatch m_batch;
};

TEST_F(ConversionWorker, FollowsRowsByIdWhateverIsDeletedOrAdded)
{
    const QString a = source("a"), b = source("b", true), c = source("c"), d = source("d"), e = source("e");
    m_batch.setRowsAtOnce(1);
    const RowId rowA = m_port->addRow(a);
    m_port->addRow(b);
    const RowId rowC = m_port->addRow(c);
    m_port->addRow(d);
    ASSERT_TRUE(m_batch.start(m_port, {320, 240, 25, 384, OutputFormat::Flv}));
    ASSERT_TRUE(waitEncoding(b));

    // A row above the current one and a row not yet started go; one is added.
    m_port->removeRow(rowA);
    m_port->removeRow(rowC);
    m_port->addRow(e);
    release(b);
    ASSERT_TRUE(m_batch.waitIdle(10000));

    EXPECT_EQ(encoded(), (QStringList{a, b, d, e}));
    ASSERT_EQ(m_port->summaries().size(), 1);
    EXPECT_EQ(m_port->summaries().first().succeeded, 4);
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_EQ(outputFiles(), (QStringList{"12-00-00-2.flv", "12-00-00-3.flv", "12-00-00-4.flv", "12-00-00.flv"}));
}

TEST_F(ConversionWorker, AFailedRowIsReportedAndTheNextOneStillConverted)
{
    m_batch.setRowsAtOnce(1);
    m_port->addRow(source("bad"));
    m_port->addRow(source("good"));
    runToEnd();
    EXPECT_EQ(m_port->only({kFinished, kFailed}), (QList<BatchStatus>{kFailed, kFinished}));
    // The bar shows the whole batch: half of it when the first row failed,
    // three quarters with the second half done, all of it at the end.
    EXPECT_EQ(m_port->progress(), (QList<int>{50, 75, 100}));
    EXPECT_EQ(outputFiles(), QStringList{"12-00-00.flv"});  // the failed row left no empty file
}

TEST_F(ConversionWorker, AnEncoderThatCannotStartFailsEveryRowAndTheBatchEnds)
{
    QFile::remove(m_tools + "mencoder");
    m_port->addRow(source("a"));
    m_port->addRow(source("b"));
    runToEnd();
    EXPECT_EQ(m_port->count(kFailed), 2);
    EXPECT_EQ(m_port->count(kFinished), 0);
    EXPECT_FALSE(m_batch.isRunning());
}

TEST_F(ConversionWorker, NeverOverwritesAndCreatesTheDaysFolder)
{
    // The folder of a day that began during the batch does not exist yet.
    m_out = MakeTempDir() + QStringLiteral("/later/2031-01-02/");
    m_port->addRow(source("a"));
    m_port->addRow(source("b"));
    runToEnd();
    EXPECT_EQ(outputFiles(), (QStringList{"12-00-00-2.flv", "12-00-00.flv"}));

    // A second batch in the same second, with a user's FLV in the way and a
    // user's MP4 beside the next name: an FLV row takes that name, and leaves
    // the MP4 as it was.
    WriteFile(m_out + "12-00-00-3.flv", "the user's own");
    WriteFile(m_out + "12-00-00-4.mp4", "the user's own");
    runToEnd();
    EXPECT_EQ(outputFiles(), (QStringList{"12-00-00-2.flv", "12-00-00-3.flv", "12-00-00-4.flv", "12-00-00-4.mp4",
                                          "12-00-00-5.flv", "12-00-00.flv"}));
    for (const char *name : {"12-00-00-3.flv", "12-00-00-4.mp4"}) {
        QFile mine(m_out + name);
        ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
        EXPECT_EQ(mine.readAll(), QByteArray("the user's own")) << name;
    }
}

TEST_F(ConversionWorker, ThreeGpExportDeletesTheIntermediateOnlyAfterA3gpWasMade)
{
    const BatchChoices threeGp{128, 96, 12, 64, OutputFormat::ThreeGp};
    m_port->addRow(source("a"));
    runToEnd(threeGp);
    EXPECT_EQ(outputFiles(), QStringList{"12-00-00.3gp"});
    EXPECT_EQ(m_port->only({kExporting, kFinished, BatchStatus::Ended}), (QList<BatchStatus>{kExporting, kFinished, BatchStatus::Ended})) << "the row, then the batch";
    const QStringList exports = ReadLines(m_tools + "pack3gp.log");
    ASSERT_EQ(exports.size(), 1);
    EXPECT_TRUE(exports.first().endsWith("12-00-00.avi " + m_out + "12-00-00.3gp")) << exports.first().toStdString();

    // A failed export leaves none of its row's files.
    WriteFile(m_tools + "pack3gp.fail", "");
    runToEnd(threeGp);
    EXPECT_EQ(m_port->endedWith(), std::make_pair(0, 1));
    EXPECT_EQ(outputFiles(), QStringList{"12-00-00.3gp"});
}

TEST_F(ConversionWorker, Mp4RowsArePackagedByOneRunOfMp4creator)
{
    const BatchChoices mp4{320, 240, 15, 384, OutputFormat::Mp4};
    m_batch.setRowsAtOnce(1);
    m_port->addRow(source("with-sound"));
    m_port->addRow(source("mute"));
    runToEnd(mp4);
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_EQ(outputFiles(), (QStringList{"12-00-00-2.mp4", "12-00-00.mp4"}));
    const QStringList creator = ReadLines(m_tools + "mp4creator.log");
    ASSERT_EQ(creator.size(), 2);
    EXPECT_EQ(creator.at(0), "-c " + m_out + "12-00-00.avi -rate=15 -aac=128 -tmp=" + m_out + ".12-00-00.mp4.part -list " +
                                 m_out + "12-00-00.mp4");
    EXPECT_EQ(creator.at(1), "-c " + m_out + "12-00-00-2.avi -rate=15 -aac=128 -tmp=" + m_out +
                                 ".12-00-00-2.mp4.part -list " + m_out + "12-00-00-2.mp4");

    // A failed packaging leaves no AVI, raw stream or half MP4 (its temporary).
    WriteFile(m_tools + "mp4creator.fail", "");
    runToEnd(mp4);
    EXPECT_EQ(m_port->rowState(1), RowState::failed(FailReason::PackagingFailed));
    EXPECT_EQ(outputFiles(), (QStringList{"12-00-00-2.mp4", "12-00-00.mp4"}));
}

TEST_F(ConversionWorker, StopKillsTheEncoderAndStartsNothingMore)
{
    m_batch.setRowsAtOnce(1);
    const QString a = source("a", true);
    m_port->addRow(a);
    m_port->addRow(source("b"));
    ASSERT_TRUE(m_batch.start(m_port, {320, 240, 25, 384}));
    ASSERT_TRUE(waitEncoding(a));
    const pid_t encoder = m_batch.encoderPid();
    EXPECT_FALSE(m_batch.start(m_port, {320, 240, 25, 384})) << "one batch at a time";

    m_batch.pause();
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) == 'T'; }, 2000));
    m_batch.stop();  // a paused encoder is ended all the same
    EXPECT_FALSE(m_batch.isRunning());
    ASSERT_TRUE(m_batch.waitIdle(5000));
    EXPECT_EQ(ProcessState(encoder), 0);
    EXPECT_EQ(encoded(), QStringList{a});
    EXPECT_EQ(m_port->count(kFinished) + m_port->count(kFailed), 0);
}

// Pause is the batch's state: pressed while a row is between tools, the next
// tool starts paused. A stopped batch ends its rows before a new one starts, so
// the old batch never writes over the new one's rows.
TEST_F(ConversionWorker, PauseBetweenToolsHoldsTheNextToolAndStopEndsBeforeStart)
{
    m_batch.setRowsAtOnce(1);
    const RowId row = m_port->addRow(source("a"));
    std::atomic<int> gate{0};  // 1: the row is between tools; 2: go on
    m_port->setBeforeState([&](RowId, const RowState &state) {
        if (state.phase == RowPhase::Converting && state.percent == 0 && gate.exchange(1) == 0)
            WaitUntil([&] { return gate.load() == 2; }, 10000);
        if (state.phase == RowPhase::Stopped && gate.exchange(3) == 2)
            WaitUntil([&] { return gate.load() == 4; }, 10000);
    });
    ASSERT_TRUE(m_batch.start(m_port, {320, 240, 25, 384}));
    ASSERT_TRUE(WaitUntil([&] { return gate.load() == 1; }));
    m_batch.pause();  // no tool runs
    gate = 2;
    ASSERT_TRUE(WaitUntil([&] { return m_batch.encoderPid() != 0; }));
    const pid_t encoder = m_batch.encoderPid();
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) == 'T'; }, 2000)) << "the encoder starts paused";

    m_batch.stop();
    ASSERT_TRUE(WaitUntil([&] { return gate.load() == 3; })) << "the stopped row is ending";
    EXPECT_FALSE(m_batch.start(m_port, {320, 240, 25, 384})) << "Start waits for the stopped batch's rows";
    gate = 4;
    ASSERT_TRUE(m_batch.waitIdle(5000));
    EXPECT_EQ(m_port->rowState(row).phase, RowPhase::Stopped);
    EXPECT_EQ(outputFiles(), QStringList{}) << "nothing half-made stays";
    EXPECT_TRUE(m_batch.start(m_port, {320, 240, 25, 384}));
}

} // namespace

namespace {

// Broken sources: one whose decoder would loop for ever, one the encoder gives
// up on early. Both fail with their reason, leave nothing, and the good row
// after them is still converted; the batch does not claim success.
TEST_F(ConversionWorker, StuckAndDamagedRowsFailAndTheBatchSaysSo)
{
    const RowId stuck = m_port->addRow(source("stuck"), 10);
    const RowId damaged = m_port->addRow(source("short"), 10);
    const RowId good = m_port->addRow(source("good"));
    runToEnd();
    EXPECT_EQ(m_port->rowState(stuck), RowState::failed(FailReason::Stuck));
    EXPECT_EQ(m_port->rowState(damaged), RowState::failed(FailReason::Damaged));
    EXPECT_EQ(m_port->rowState(good), RowState{RowPhase::Done});
    EXPECT_EQ(m_port->endedWith(), std::make_pair(1, 2));
    const QStringList files = outputFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(ReadLines(m_out + files.first()), QStringList{"converted " + m_sources + "good"});
}

// A full volume fails the row with its reason, removes the cut-off file and
// ends the batch: every later row would fail the same way. Needs a small
// volume of its own, so it runs as root only.
TEST_F(ConversionWorker, AFullVolumeFailsTheRowAndEndsTheBatch)
{
    const QString volume = MakeTempDir();
    if (::geteuid() != 0 || RunProgram("mount", {"-t", "tmpfs", "-o", "size=2m", "tmpfs", volume}) != 0)
        GTEST_SKIP() << "needs root to mount a small volume";
    m_out = volume + QStringLiteral("/out/");
    m_batch.setRowsAtOnce(1);
    const RowId fill = m_port->addRow(source("fill"));
    const RowId later = m_port->addRow(source("later"));
    runToEnd();
    EXPECT_EQ(m_port->rowState(fill), RowState::failed(FailReason::DiskFull));
    EXPECT_EQ(m_port->rowState(later), RowState{}) << "the row the batch did not reach is not left waiting";
    ASSERT_EQ(m_port->summaries().size(), 1);
    EXPECT_TRUE(m_port->summaries().first().diskFull);
    EXPECT_EQ(m_port->endedWith(), std::make_pair(0, 1));
    EXPECT_EQ(outputFiles(), QStringList());
    EXPECT_FALSE(encoded().contains(m_sources + "later"));
    EXPECT_EQ(RunProgram("umount", {volume}), 0);
}

// Two rows at once: each has its own name and files, pause and resume reach
// both encoders, and every row ends in its own state.
TEST_F(ConversionWorker, RowsAtOnceKeepTheirFilesApartAndPauseTogether)
{
    m_batch.setRowsAtOnce(2);
    const QString a = source("a", true), b = source("b", true), c = source("c"), gone = source("gone");
    const RowId rowA = m_port->addRow(a), rowB = m_port->addRow(b), rowC = m_port->addRow(c);
    const RowId rowGone = m_port->addRow(gone);
    ASSERT_TRUE(m_batch.start(m_port, {320, 240, 25, 384, OutputFormat::Flv}));
    ASSERT_TRUE(WaitUntil([&] { return ReadLines(m_tools + "encoder.pids").size() == 2; }, 5000));
    QFile::remove(gone);  // a waiting row's source goes mid-batch

    m_batch.pause();
    const QStringList encoders = ReadLines(m_tools + "encoder.pids");
    ASSERT_EQ(encoders.size(), 2);
    for (const QString &pid : encoders)
        EXPECT_TRUE(WaitUntil([&] { return ProcessState(pid.toInt()) == 'T'; }, 2000)) << "both rows pause";
    m_batch.resume();
    for (const QString &pid : encoders)
        EXPECT_TRUE(WaitUntil([&] { return ProcessState(pid.toInt()) != 'T'; }, 2000)) << "both rows resume";
    release(a);
    release(b);
    ASSERT_TRUE(m_batch.waitIdle(10000));

    EXPECT_EQ(m_port->rowState(rowA), RowState{RowPhase::Done});
    EXPECT_EQ(m_port->rowState(rowB), RowState{RowPhase::Done});
    EXPECT_EQ(m_port->rowState(rowC), RowState{RowPhase::Done});
    EXPECT_EQ(m_port->rowState(rowGone), RowState::failed(FailReason::Unreadable)) << "that row only";
    EXPECT_EQ(m_port->endedWith(), std::make_pair(3, 1));
    EXPECT_EQ(m_port->progress().last(), 100);
    // Three files, each holding its own source's conversion.
    QStringList contents;
    for (const QString &file : outputFiles())
        contents += ReadLines(m_out + file);
    contents.sort();
    EXPECT_EQ(contents, (QStringList{"converted " + a, "converted " + b, "converted " + c}));
}

// A stop reaches every running row, paused or not; a garbage source the
// watchdog ends does not disturb the row running beside it.
TEST_F(ConversionWorker, StopAndTheWatchdogReachEachRunningRow)
{
    m_batch.setRowsAtOnce(2);
    const QString held = source("held", true);
    const RowId stuck = m_port->addRow(source("stuck"), 10);
    const RowId good = m_port->addRow(held);
    ASSERT_TRUE(m_batch.start(m_port, {320, 240, 25, 384, OutputFormat::Flv}));
    ASSERT_TRUE(WaitUntil([&] { return m_port->rowState(stuck) == RowState::failed(FailReason::Stuck); }, 10000));
    EXPECT_EQ(m_port->rowState(good).phase, RowPhase::Converting) << "the other row runs on";
    release(held);
    ASSERT_TRUE(m_batch.waitIdle(10000));
    EXPECT_EQ(m_port->rowState(good), RowState{RowPhase::Done});
    EXPECT_EQ(outputFiles().size(), 1);

    // Two held rows, then a stop: both encoders end, nothing is left.
    m_port->removeRow(stuck);
    m_port->removeRow(good);
    const QString x = source("x", true), y = source("y", true);
    const RowId rowX = m_port->addRow(x), rowY = m_port->addRow(y);
    QFile::remove(m_tools + "encoder.log");
    ASSERT_TRUE(m_batch.start(m_port, {320, 240, 25, 384, OutputFormat::Flv}));
    ASSERT_TRUE(WaitUntil([&] { return encoded().size() == 2; }, 5000));
    m_batch.pause();
    m_batch.stop();
    ASSERT_TRUE(m_batch.waitIdle(5000));
    EXPECT_EQ(m_port->rowState(rowX), RowState{RowPhase::Stopped});
    EXPECT_EQ(m_port->rowState(rowY), RowState{RowPhase::Stopped});
    EXPECT_EQ(outputFiles().size(), 1);
}

// An HDR source is read from the SDR copy ffmpeg makes of it first, which pause
// and stop reach as they reach the encoder; a BT.709 one is read as it is,
// after the one look at its picture that every row takes.
TEST_F(ConversionWorker, AnHdrSourceIsReadFromItsSdrCopyAndAnSdrOneAsItIs)
{
    WriteFile(m_tools + "ffmpeg", kFakeSdrCopy, true);
    WriteFile(m_tools + "ffprobe", kFakeColourLook, true);
    BatchChoices mp4{320, 240, 15, 384, OutputFormat::Mp4};
    mp4.shape = PictureShape::Fit;
    m_batch.setRowsAtOnce(1);
    const QString hdr = source("phone-hlg"), sdr = source("camera");
    const RowId first = m_port->addRow(hdr), second = m_port->addRow(sdr);
    runToEnd(mp4);
    EXPECT_TRUE(m_port->endedWell());
    EXPECT_EQ(encoded(), (QStringList{m_out + "12-00-00.mkv", sdr}));
    const QStringList copies = ReadLines(m_tools + "ffmpeg.log");
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(copies.first().contains("-i " + hdr + " ") && copies.first().contains("tonemap"))
        << copies.first().toStdString();
    EXPECT_EQ(ReadLines(m_tools + "ffprobe.log"), (QStringList{hdr, sdr}));
    EXPECT_EQ(outputFiles(), (QStringList{"12-00-00-2.mp4", "12-00-00.mp4"}));

    m_port->removeRow(first);
    m_port->removeRow(second);
    const RowId held = m_port->addRow(source("held-hlg", true));
    ASSERT_TRUE(m_batch.start(m_port, mp4));
    ASSERT_TRUE(WaitUntil([&] { return ReadLines(m_tools + "ffmpeg.log").size() == 2 && m_batch.encoderPid() != 0; },
                          5000));
    const pid_t copying = m_batch.encoderPid();
    m_batch.pause();
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(copying) == 'T'; }, 2000));
    m_batch.stop();
    ASSERT_TRUE(m_batch.waitIdle(5000));
    EXPECT_EQ(ProcessState(copying), 0);
    EXPECT_EQ(m_port->rowState(held), RowState{RowPhase::Stopped});
    EXPECT_EQ(encoded().size(), 2);
    EXPECT_EQ(outputFiles(), (QStringList{"12-00-00-2.mp4", "12-00-00.mp4"})) << "the copy is gone";
}

// A full volume during two rows fails both cleanly and stops the batch.
TEST_F(ConversionWorker, AFullVolumeFailsEveryRunningRow)
{
    const QString volume = MakeTempDir();
    if (::geteuid() != 0 || RunProgram("mount", {"-t", "tmpfs", "-o", "size=2m", "tmpfs", volume}) != 0)
        GTEST_SKIP() << "needs root to mount a small volume";
    m_out = volume + QStringLiteral("/out/");
    m_batch.setRowsAtOnce(2);
    const RowId one = m_port->addRow(source("fill-1"));
    const RowId two = m_port->addRow(source("fill-2"));
    const RowId later = m_port->addRow(source("later"));
    runToEnd();
    EXPECT_EQ(m_port->rowState(one), RowState::failed(FailReason::DiskFull));
    EXPECT_EQ(m_port->rowState(two), RowState::failed(FailReason::DiskFull));
    EXPECT_EQ(m_port->rowState(later), RowState{});
    EXPECT_TRUE(m_port->summaries().first().diskFull);
    EXPECT_EQ(outputFiles(), QStringList());
    EXPECT_FALSE(encoded().contains(m_sources + "later"));
    EXPECT_EQ(RunProgram("umount", {volume}), 0);
}

}  // namespace
