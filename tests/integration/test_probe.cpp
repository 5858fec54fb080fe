// Probes of real clips through the installed player: every row gets its own
// file's values, whatever else is added or deleted meanwhile.

#include "catalogue/probe.h"
#include "process/cpu_cores.h"
#include "engine/dialog_port.h"
#include "process/globals.h"
#include "base/thread_tracker.h"
#include "install/tool_dir.h"
#include "install/tool_installer.h"
#include "tests/support/test_support.h"
#include "ui/file_list_view.h"
#include "ui/status_texts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <ostream>
#include <vector>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

// The list as the probes see it, worded as the window words it: rows with ids,
// writes to deleted rows dropped.
class RecordingPort : public DialogPort {
public:
    struct Row {
        RowId id;
        std::array<QString, 7> cells;
        int seconds = 0;
    };

    RowId appendRow(const QByteArray &source, const QString &) override
    {
        const QString path = QString::fromUtf8(source);
        std::lock_guard lock(m_mutex);
        Row row{m_nextId++, {}};
        row.cells[ColNumber] = QString::number(m_rows.size());
        row.cells[ColPath] = path;
        m_rows.push_back(row);
        return row.id;
    }
    void setRowFact(RowId id, ProbeFact fact, const QString &value) override
    {
        const int column = fact == ProbeFact::Codec ? ColCodec : fact == ProbeFact::Resolution ? ColResolution : ColFrameRate;
        write(id, [&](Row &row) { row.cells.at(column) = value; });
    }
    void setRowLength(RowId id, int seconds) override
    {
        write(id, [&](Row &row) {
            row.cells[ColDuration] = ShownLength(seconds);
            row.seconds = seconds;
        });
    }
    void setRowState(RowId id, const RowState &state) override
    {
        write(id, [&](Row &row) { row.cells[ColStatus] = ShownRowState(state); });
    }
    QList<RowEntry> rows() override
    {
        std::lock_guard lock(m_mutex);
        QList<RowEntry> result;
        for (const Row &row : m_rows)
            result.append({row.id, row.cells[ColPath], row.seconds, RowPhase::Idle, {}, {}});
        return result;
    }
    void focusFirstRow() override { ++m_focusCalls; }
    void setStatus(BatchStatus, const BatchSummary &) override {}
    void setProgress(int) override {}

    template <typename Change>
    void write(RowId id, const Change &change)
    {
        std::lock_guard lock(m_mutex);
        for (Row &row : m_rows) {
            if (row.id == id)
                change(row);
        }
    }
    void deleteRow(int index)
    {
        std::lock_guard lock(m_mutex);
        m_rows.erase(m_rows.begin() + index);
    }
    std::vector<Row> snapshot()
    {
        std::lock_guard lock(m_mutex);
        return m_rows;
    }
    int focusCalls() const { return m_focusCalls; }

private:
    std::mutex m_mutex;
    std::vector<Row> m_rows;
    RowId m_nextId = 1;
    std::atomic<int> m_focusCalls{0};
};

struct Clip {
    const char *name;
    QStringList encode;  // ffmpeg output options
    const char *size;
    int rate;
    double seconds;
    // What the player reports: codec, and the row's duration text.
    const char *codec;
    const char *duration;
};

const std::vector<Clip> &Clips()
{
    static const std::vector<Clip> clips = {
        {"a.avi", {"-c:v", "mpeg4", "-c:a", "libmp3lame"}, "160x120", 25, 2.5, "MP4V", "00:00:02"},
        {"b.mkv", {"-c:v", "libx264", "-c:a", "aac"}, "176x144", 30, 3.5, "H264", "00:00:03"},
        {"c.flv", {"-c:v", "flv1", "-c:a", "libmp3lame", "-ar", "44100"}, "128x96", 15, 4.5, "FLV1", "00:00:04"},
        {"d.3gp", {"-c:v", "mpeg4", "-c:a", "aac", "-ar", "8000", "-ac", "1"}, "176x144", 12, 5.5, "MP4V",
         "00:00:05"},
        {"e.mpg", {"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "vob"}, "160x120", 24, 6.5, "mpg1", "00:00:06"},
        {"f.wmv", {"-c:v", "wmv2", "-c:a", "wmav2"}, "128x96", 20, 2.5, "WMV2", "00:00:02"},
        {"中文 片段 一.avi", {"-c:v", "mpeg4", "-an"}, "112x84", 10, 3.5, "MP4V", "00:00:03"},
    };
    return clips;
}

QString g_clipDir;

QString ClipPath(const QString &name) { return g_clipDir + '/' + name; }

// The cells a row of this file must end up with.
std::array<QString, 7> ExpectedCells(const QString &path, const Clip *clip)
{
    std::array<QString, 7> cells;
    cells[ColPath] = path;
    if (clip) {
        cells[ColDuration] = clip->duration;
        cells[ColCodec] = clip->codec;
        cells[ColResolution] = clip->size;
        cells[ColFrameRate] = QString::number(clip->rate) + ".000";
    }
    return cells;
}

class ProbeIntegration : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        UseTemporaryHome(false);  // the player keeps its own config under HOME
        s_toolDir = QFile::encodeName(MakeTempDir()) + "/Q9TBR/";
        ASSERT_EQ(ExtractTool(s_toolDir, 5), 1);
        ASSERT_EQ(ExtractTool(s_toolDir, 2), 1);  // ffprobe reads how a picture is turned

        // A launcher that waits a little first, so a test can act while probes run.
        s_slowToolDir = QFile::encodeName(MakeTempDir()) + '/';
        QFile slow(QFile::decodeName(s_slowToolDir + "mplayer"));
        ASSERT_TRUE(slow.open(QIODevice::WriteOnly));
        slow.write("#!/bin/sh\nsleep 0.5\nexec '" + s_toolDir + "mplayer' \"$@\"\n");
        slow.close();
        slow.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        g_clipDir = MakeTempDir();
        for (const Clip &clip : Clips()) {
            const QString size = QString::fromLatin1(clip.size);
            QStringList args = {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                QStringLiteral("testsrc=size=%1:rate=%2").arg(size).arg(clip.rate), "-f", "lavfi",
                                "-i", "sine=frequency=440:sample_rate=44100", "-t", QString::number(clip.seconds)};
            args << clip.encode << ClipPath(QString::fromUtf8(clip.name));
            QByteArray output;
            ASSERT_EQ(RunProgram("ffmpeg", args, &output), 0) << clip.name << ": " << output.constData();
        }
        QFile text(ClipPath("not media.txt"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("This is not a video.\n");
    }

    void SetUp() override { g_szToolDir = s_toolDir; }
    void TearDown() override { EXPECT_TRUE(ThreadTracker::waitIdle(120000)); }

    // Each remaining row holds exactly its own file's values.
    static void ExpectRowsMatchTheirFiles(const std::vector<RecordingPort::Row> &rows)
    {
        for (const RecordingPort::Row &row : rows) {
            const QString path = row.cells[ColPath];
            SCOPED_TRACE(path.toStdString());
            const Clip *source = nullptr;
            for (const Clip &clip : Clips()) {
                if (QFileInfo(path).fileName().endsWith(QString::fromUtf8(clip.name)))
                    source = &clip;
            }
            const auto expected = ExpectedCells(path, source);
            for (int column = ColPath; column <= ColFrameRate; ++column)
                EXPECT_EQ(row.cells[column], expected[column]) << "column " << column;
        }
    }

    static QStringList AllPaths()
    {
        QStringList paths;
        for (const Clip &clip : Clips())
            paths << ClipPath(QString::fromUtf8(clip.name));
        paths << ClipPath("not media.txt");
        return paths;
    }

    static inline QByteArray s_toolDir;
    static inline QByteArray s_slowToolDir;
};

TEST_F(ProbeIntegration, EveryRowGetsItsOwnFilesValues)
{
    auto port = std::make_shared<RecordingPort>();
    const QStringList paths = AllPaths();
    for (const QString &path : paths)
        StartProbe(port, path);
    ASSERT_TRUE(ThreadTracker::waitIdle(120000));

    const auto rows = port->snapshot();
    ASSERT_EQ(rows.size(), size_t(paths.size()));
    for (int i = 0; i < paths.size(); ++i)
        EXPECT_EQ(rows[i].cells[ColPath], paths[i]) << "rows keep the order of the adds";
    ExpectRowsMatchTheirFiles(rows);
    EXPECT_GT(port->focusCalls(), 0);
}

// A phone held upright stores its 72x128 picture as 128x72, with a quarter
// turn for the player: the row shows the size a player shows.
TEST_F(ProbeIntegration, APhoneClipShowsItsUprightSize)
{
    const QString stored = MakeTempDir() + "/stored.mp4";
    const QString phone = MakeTempDir() + "/phone.mov";
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=128x72:rate=10", "-t",
                                    "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", stored}),
              0);
    // ffmpeg's tag names the turn counter-clockwise: 270 is a clockwise quarter.
    ASSERT_EQ(RunProgram("ffmpeg", {"-v", "error", "-y", "-i", stored, "-c", "copy", "-metadata:s:v", "rotate=270",
                                    phone}),
              0);
    auto port = std::make_shared<RecordingPort>();
    StartProbe(port, stored);
    StartProbe(port, phone);
    ASSERT_TRUE(ThreadTracker::waitIdle(120000));
    const auto rows = port->snapshot();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells[ColResolution], "128x72");
    EXPECT_EQ(rows[1].cells[ColResolution], "72x128");
}

TEST_F(ProbeIntegration, DeletingARowWhileItsProbeRunsLeavesEveryOtherRowCorrect)
{
    g_szToolDir = s_slowToolDir;
    auto port = std::make_shared<RecordingPort>();
    const QStringList paths = AllPaths();
    for (const QString &path : paths)
        StartProbe(port, path);
    // The players have not printed anything yet; the second row (b.mkv, whose
    // values no other file has) goes while its probe runs.
    ASSERT_TRUE(port->snapshot()[1].cells[ColCodec].isEmpty());
    port->deleteRow(1);
    ASSERT_TRUE(ThreadTracker::waitIdle(120000));

    const auto rows = port->snapshot();
    ASSERT_EQ(rows.size(), size_t(paths.size() - 1));
    for (const auto &row : rows)
        EXPECT_NE(row.cells[ColPath], paths[1]);
    ExpectRowsMatchTheirFiles(rows);
}

TEST_F(ProbeIntegration, SixtyFilesAddedAtOnceAllGetFilledWithAtMostOnePlayerPerCore)
{
    // A launcher that notes when each player starts and ends.
    const QString logPath = MakeTempDir() + "/players.log";
    const QByteArray countingDir = QFile::encodeName(MakeTempDir()) + '/';
    QFile counting(QFile::decodeName(countingDir + "mplayer"));
    ASSERT_TRUE(counting.open(QIODevice::WriteOnly));
    counting.write("#!/bin/sh\necho start >> '" + QFile::encodeName(logPath) + "'\n'" + s_toolDir +
                   "mplayer' \"$@\"\ncode=$?\necho end >> '" + QFile::encodeName(logPath) + "'\nexit $code\n");
    counting.close();
    counting.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    g_szToolDir = countingDir;

    const QString batchDir = MakeTempDir();
    QStringList paths;
    for (int i = 0; i < 60; ++i) {
        const Clip &clip = Clips()[size_t(i) % Clips().size()];
        const QString copy = QStringLiteral("%1/%2 %3")
                                 .arg(batchDir)
                                 .arg(i, 2, 10, QLatin1Char('0'))
                                 .arg(QString::fromUtf8(clip.name));
        ASSERT_TRUE(QFile::copy(ClipPath(QString::fromUtf8(clip.name)), copy));
        paths << copy;
    }
    auto port = std::make_shared<RecordingPort>();
    for (const QString &path : paths)
        StartProbe(port, path);
    ASSERT_TRUE(ThreadTracker::waitIdle(300000));

    const auto rows = port->snapshot();
    ASSERT_EQ(rows.size(), 60u);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(rows[size_t(i)].cells[ColPath], paths[i]);
    ExpectRowsMatchTheirFiles(rows);

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    int running = 0, mostAtOnce = 0, started = 0;
    for (const QByteArray &line : log.readAll().split('\n')) {
        if (line == "start") {
            ++started;
            mostAtOnce = std::max(mostAtOnce, ++running);
        } else if (line == "end") {
            --running;
        }
    }
    EXPECT_EQ(started, 60);
    EXPECT_LE(mostAtOnce, OnlineCores());
}

TEST_F(ProbeIntegration, ProbeMakesItsOwnOutputLiveAndLeavesTheConversionFlagAlone)
{
    for (const bool convertLive : {true, false}) {
        g_bProbeOutputLive = false;
        g_bConvertOutputLive = convertLive;
        auto port = std::make_shared<RecordingPort>();
        StartProbe(port, ClipPath("a.avi"));
        ASSERT_TRUE(ThreadTracker::waitIdle(60000));
        EXPECT_TRUE(g_bProbeOutputLive);
        EXPECT_EQ(g_bConvertOutputLive.load(), convertLive);
        ExpectRowsMatchTheirFiles(port->snapshot());
        EXPECT_EQ(port->snapshot().at(0).cells[ColCodec], "MP4V");
    }
}

TEST_F(ProbeIntegration, MissingPlayerLeavesTheRowWithItsPathOnly)
{
    g_szToolDir = QFile::encodeName(MakeTempDir()) + '/';
    auto port = std::make_shared<RecordingPort>();
    StartProbe(port, ClipPath("a.avi"));
    ASSERT_TRUE(ThreadTracker::waitIdle(60000));
    const auto rows = port->snapshot();
    ASSERT_EQ(rows.size(), 1u);
    const auto expected = ExpectedCells(ClipPath("a.avi"), nullptr);
    for (int column = ColPath; column <= ColFrameRate; ++column)
        EXPECT_EQ(rows[0].cells[column], expected[column]) << "column " << column;
}

// A player stuck on a broken file is ended after its deadline; the row keeps
// what it had and says that the file could not be read.
TEST_F(ProbeIntegration, AStuckPlayerIsEndedAndItsRowSaysSo)
{
    const QString tools = MakeTempDir() + '/';
    QFile player(tools + "mplayer");
    ASSERT_TRUE(player.open(QIODevice::WriteOnly));
    player.write("#!/bin/sh\necho ID_VIDEO_WIDTH=640\nexec sleep 600\n");
    player.close();
    player.setPermissions(player.permissions() | QFileDevice::ExeOwner);
    g_szToolDir = QFile::encodeName(tools);

    auto port = std::make_shared<RecordingPort>();
    StartProbe(port, ClipPath("a.avi"));
    ASSERT_TRUE(ThreadTracker::waitIdle(60000));
    const auto rows = port->snapshot();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].cells[ColPath], ClipPath("a.avi"));
    EXPECT_EQ(rows[0].cells[ColStatus], QStringLiteral("无法读取文件"));
    EXPECT_NE(RunProgram("pgrep", {"-f", "sleep 600"}), 0) << "the stuck player is gone";
}

// An empty file, or one with a few words in it: the player answers but finds
// nothing, and the row says the file cannot be read.
TEST_F(ProbeIntegration, AFileThePlayerFindsNothingInSaysSo)
{
    const QString folder = MakeTempDir();
    QFile words(folder + "/notes.avi");
    ASSERT_TRUE(words.open(QIODevice::WriteOnly));
    words.write("just some words\n");
    words.close();
    QFile(folder + "/empty.mp4").open(QIODevice::WriteOnly);

    auto port = std::make_shared<RecordingPort>();
    StartProbe(port, folder + "/notes.avi");
    StartProbe(port, folder + "/empty.mp4");
    ASSERT_TRUE(ThreadTracker::waitIdle(60000));
    for (const auto &row : port->snapshot())
        EXPECT_EQ(row.cells[ColStatus], QStringLiteral("无法读取文件")) << row.cells[ColPath].toStdString();
}

} // namespace
