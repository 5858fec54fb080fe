// The start, pause/resume and stop commands on the real main window, with a
// stand-in encoder that waits while the test holds it.
#include "engine/output_presets.h"
#include "controls/xp_smart_button.h"
#include "engine/conversion_batch.h"
#include "res/control_ids.h"
#include "settings/output_folder.h"
#include "tests/support/main_dialog_fixture.h"
#include "ui/main_dialog.h"
#include "ui/main_window_loop.h"
#include "ui/question_box.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace {

// Logs its arguments, starts its output, then waits while "hold" exists beside it.
const char kHeldEncoder[] = "#!/bin/sh\n"
                            "dir=$(dirname \"$0\")\n"
                            "printf '%s\\n' \"$*\" >> \"$dir/encoder.log\"\n"
                            "for a; do [ \"$p\" = -o ] && printf partial > \"$a\"; p=$a; done\n"
                            "while [ -e \"$dir/hold\" ]; do sleep 0.02; done\n";

QString g_tools;

QStringList EncoderRuns()
{
    QFile log(g_tools + "encoder.log");
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
}

class ConversionCommandsTest : public MainDialogFixture {
protected:
    static void SetUpTestSuite()
    {
        MainDialogFixture::SetUpTestSuite();
        g_tools = MakeTempDir() + '/';
        QFile encoder(g_tools + "mencoder");
        ASSERT_TRUE(encoder.open(QIODevice::WriteOnly));
        encoder.write(kHeldEncoder);
        encoder.close();
        encoder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void SetUp() override
    {
        QFile::remove(g_tools + "encoder.log");
        QFile hold(g_tools + "hold");
        ASSERT_TRUE(hold.open(QIODevice::WriteOnly));
        MainDialogFixture::SetUp();
        m_dialog->batch().setToolDir(QFile::encodeName(g_tools));
    }

    void TearDown() override
    {
        QFile::remove(g_tools + "hold");
        m_dialog->batch().stop();
        EXPECT_TRUE(WaitUntil([this] { return m_dialog->batch().waitIdle(0); }, 10000));
        MainDialogFixture::TearDown();
    }

    // A source file to list (the held encoder never reads it, but the worker
    // converts only what exists).
    // A row as a probe that has ended leaves it.
    RowId addProbedRow(const QString &path)
    {
        const RowId row = m_dialog->port()->appendRow(QFile::encodeName(path));
        m_dialog->port()->probeEnded(row);
        return row;
    }
    static QString sourceFile(const QString &name)
    {
        const QString path = MakeTempDir() + '/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    CXPSmartButton *button(int id) const { return m_dialog->controlAs<CXPSmartButton>(id); }
    // Until the encoder runs and has logged its arguments.
    bool waitForEncoder()
    {
        return WaitUntil([this] { return m_dialog->batch().encoderPid() != 0 && !EncoderRuns().isEmpty(); },
                               10000);
    }
};

TEST_F(ConversionCommandsTest, StartWithAnEmptyListOnlyAsksForFiles)
{
    const QString savePath = label(IdSavePath)->text();
    click(IdStart);
    EXPECT_EQ(status(), QStringLiteral("请先添加需要转换的文件。"));
    EXPECT_EQ(label(IdSavePath)->text(), savePath);
    EXPECT_FALSE(m_dialog->batch().isRunning());
    QTest::qWait(200);
    EXPECT_TRUE(EncoderRuns().isEmpty());
}

TEST_F(ConversionCommandsTest, StartTakesTheMirroredChoicesAndRunsOneBatchOnly)
{
    addProbedRow(sourceFile("clip.avi"));
    label(IdResolutionMirror)->setText("720x480");
    label(IdFrameRateMirror)->setText("25");
    label(IdBitrateMirror)->setText("1024");
    click(IdStart);
    EXPECT_EQ(label(IdSavePath)->text(), GetOutputFolder());
    EXPECT_TRUE(label(IdSavePath)->text().endsWith('/'));
    EXPECT_EQ(status(), QStringLiteral("开始转换"));
    ASSERT_TRUE(waitForEncoder());
    const pid_t encoder = m_dialog->batch().encoderPid();

    // A second press leaves the running batch and the window as they are.
    label(IdResolutionMirror)->setText("128x96");
    label(IdStatusLine)->setText("marker");
    click(IdStart);
    EXPECT_EQ(status(), "marker");
    QTest::qWait(200);
    EXPECT_EQ(m_dialog->batch().encoderPid(), encoder);
    const QStringList runs = EncoderRuns();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_TRUE(runs.first().contains("scale=720:480,dsize=720:480,harddup,fixpts")) << runs.first().toStdString();
    // The encoder's thread count depends on the machine's cores.
    const QString withoutThreads = QString(runs.first()).remove(QRegularExpression(":threads=\\d+"));
    EXPECT_TRUE(withoutThreads.contains("vbitrate=1024:o=level=5 -ofps 25 ")) << runs.first().toStdString();
}

TEST_F(ConversionCommandsTest, StartConvertsWhatIsNotDoneAndWithNothingLeftStartsNoTool)
{
    const QString done = sourceFile("done.avi");
    const RowId doneRow = addProbedRow(done);
    const RowId failedRow = addProbedRow(sourceFile("failed.avi"));
    addProbedRow(sourceFile("new.avi"));
    m_dialog->port()->setRowState(doneRow, {RowPhase::Done});
    m_dialog->port()->setRowState(failedRow, RowState::failed(FailReason::EncoderFailed));
    QFile::remove(g_tools + "hold");
    click(IdStart);
    ASSERT_TRUE(WaitUntil([this] { return m_dialog->batch().waitIdle(0); }, 20000));
    const QString runs = EncoderRuns().join('\n');
    EXPECT_TRUE(runs.contains("failed.avi"));
    EXPECT_TRUE(runs.contains("new.avi"));
    EXPECT_FALSE(runs.contains(done));

    for (const RowEntry &row : m_dialog->port()->rows())
        m_dialog->port()->setRowState(row.id, {RowPhase::Done});
    QFile::remove(g_tools + "encoder.log");
    click(IdStart);
    EXPECT_EQ(status(), QStringLiteral("列表中的文件都已转换完成，没有需要转换的文件。"));
    EXPECT_FALSE(m_dialog->batch().isRunning());
    EXPECT_TRUE(EncoderRuns().isEmpty());
}

// Without a batch only the button and the status line change; the icon goes
// 131 (paused) / 132 (running) with the caption.
TEST_F(ConversionCommandsTest, PauseAndResumeTextsCaptionAndIcon)
{
    CXPSmartButton *pause = button(IdPause);
    struct Step {
        const char *caption, *status;
        int icon;
        bool notPaused;
    };
    const Step steps[] = {{"继续", "已经暂停", 131, false}, {"暂停", "正在继续转换...", 132, true},
                          {"继续", "已经暂停", 131, false}};
    for (const Step &step : steps) {
        m_dialog->OnPauseResume();
        EXPECT_EQ(pause->text(), QString::fromUtf8(step.caption));
        EXPECT_EQ(status(), QString::fromUtf8(step.status));
        EXPECT_EQ(m_dialog->batch().pauseToggled(), !step.notPaused);
        const QImage shown = pause->grab().toImage();
        pause->LoadIcons(step.icon == 131 ? 132 : 131, 0);
        EXPECT_NE(pause->grab().toImage(), shown) << "the other icon looks different";
        pause->LoadIcons(step.icon, 0);
        EXPECT_EQ(pause->grab().toImage(), shown) << "icon " << step.icon;
    }
}

TEST_F(ConversionCommandsTest, PauseResumeAndStopReachTheRunningEncoder)
{
    m_dialog->batch().setRowsAtOnce(1);  // the second row waits for the first
    addProbedRow(sourceFile("a.avi"));
    addProbedRow(sourceFile("b.avi"));
    click(IdStart);
    ASSERT_TRUE(waitForEncoder());
    const pid_t encoder = m_dialog->batch().encoderPid();

    click(IdPause);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) == 'T'; }, 2000));
    click(IdPause);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) != 'T'; }, 2000));
    click(IdPause);  // stop ends a paused encoder all the same
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) == 'T'; }, 2000));

    m_dialog->controlAs<QProgressBar>(IdProgress)->setValue(40);
    click(IdStop);
    EXPECT_EQ(status(), QStringLiteral("已经停止"));
    EXPECT_EQ(m_dialog->controlAs<QProgressBar>(IdProgress)->value(), 0);
    EXPECT_FALSE(m_dialog->batch().isRunning());
    ASSERT_TRUE(WaitUntil([this] { return m_dialog->batch().waitIdle(0); }, 10000));
    EXPECT_EQ(ProcessState(encoder), 0);
    QTest::qWait(200);
    EXPECT_EQ(status(), QStringLiteral("已经停止")) << "the worker writes nothing after a stop";
    EXPECT_EQ(EncoderRuns().size(), 1) << "no further row";
    EXPECT_EQ(button(IdPause)->text(), QStringLiteral("继续"));
}

// An encoder that prints progress without pause leaves output in the pipe and
// reports on their way to the window whenever a command is pressed: none of
// them may write over the command's text or move the bar afterwards.
TEST_F(ConversionCommandsTest, PauseAndStopTextsStandAgainstTheEncodersOutput)
{
    const QString tools = MakeTempDir() + '/';
    QFile chatty(tools + "mencoder");
    ASSERT_TRUE(chatty.open(QIODevice::WriteOnly));
    chatty.write("#!/bin/sh\n"
                 "i=0; while :; do i=$(( (i + 1) % 100 )); printf 'Pos: 1.0s 25f (%2d%%)\\r' $i; done\n");
    chatty.close();
    chatty.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dialog->batch().setToolDir(QFile::encodeName(tools));
    QProgressBar *bar = m_dialog->controlAs<QProgressBar>(IdProgress);

    addProbedRow(sourceFile("a.avi"));
    click(IdStart);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(WaitUntil([&] { return status().startsWith(QStringLiteral("正在转换 1/1")); }, 10000));
        QTest::qWait(50);
        click(IdPause);
        const int pausedAt = bar->value();
        QTest::qWait(300);
        EXPECT_EQ(status(), QStringLiteral("已经暂停")) << "round " << round;
        EXPECT_EQ(bar->value(), pausedAt) << "round " << round;
        click(IdPause);
    }
    ASSERT_TRUE(WaitUntil([&] { return status().startsWith(QStringLiteral("正在转换 1/1")); }, 10000));
    QTest::qWait(50);
    click(IdStop);
    QTest::qWait(300);
    EXPECT_EQ(status(), QStringLiteral("已经停止"));
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ConversionCommandsTest, StopWithNothingRunning)
{
    m_dialog->controlAs<QProgressBar>(IdProgress)->setValue(70);
    click(IdStop);
    EXPECT_EQ(status(), QStringLiteral("已经停止"));
    EXPECT_EQ(m_dialog->controlAs<QProgressBar>(IdProgress)->value(), 0);
}

TEST_F(ConversionCommandsTest, AnOpenMessageBoxBlocksNeitherTheButtonsNorTheUpdates)
{
    // The window runs as the program runs it, with the box opened from it.
    auto scenario = [this] {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
        addProbedRow(sourceFile("clip.avi"));
        click(IdStart);
        ASSERT_TRUE(waitForEncoder());
        const qint64 encoder = m_dialog->batch().encoderPid();

        click(IdAbout);  // the about box opens and the command returns at once
        QMessageBox *box = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *b = qobject_cast<QMessageBox *>(w); b && b->isVisible())
                box = b;
        }
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget(), nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

        // A worker's update reaches the window while the box is open.
        auto update =
            std::async(std::launch::async, [port = m_dialog->port()] { port->setStatus(BatchStatus::Exporting); });
        EXPECT_TRUE(WaitUntil([&] { return update.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
        EXPECT_EQ(status(), QStringLiteral("导出视频流"));

        // Pause, resume and stop, clicked like a user would.
        click(IdPause);
        EXPECT_EQ(status(), QStringLiteral("已经暂停"));
        EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) == 'T'; }));
        click(IdPause);
        EXPECT_TRUE(WaitUntil([&] { return ProcessState(encoder) != 'T'; }));
        click(IdStop);
        EXPECT_EQ(status(), QStringLiteral("已经停止"));
        EXPECT_TRUE(WaitUntil([this] { return m_dialog->batch().waitIdle(0); }));
        EXPECT_TRUE(box->isVisible());
        box->close();
    };
    QTimer::singleShot(0, m_dialog.get(), [&] {
        scenario();
        m_dialog->accept();
    });
    RunMainWindow(*m_dialog);
}

} // namespace

namespace {

// Escape, the close box and the exit button: while a batch runs, closing asks
// first; "no" keeps everything running, "yes" stops the batch and its row
// leaves nothing behind. With no batch the window closes without a word.
TEST_F(ConversionCommandsTest, ClosingDuringABatchAsksFirst)
{
    QStringList questions;
    bool answer = false;
    SetQuestionHook([&](const QString &text) {
        questions << text;
        return answer;
    });
    m_dialog->show();
    addProbedRow(sourceFile("a.avi"));
    click(IdStart);
    ASSERT_TRUE(waitForEncoder());
    const QString folder = label(IdSavePath)->text();
    ASSERT_TRUE(WaitUntil([&] { return !QDir(folder).entryList(QDir::Files).isEmpty(); }, 5000));

    m_dialog->reject();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_NE(m_dialog->batch().encoderPid(), 0);

    answer = true;
    m_dialog->reject();
    EXPECT_EQ(questions.size(), 2);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return m_dialog->batch().waitIdle(0); }, 10000));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList());

    auto idle = std::make_unique<MainDialog>();
    idle->OnInitDialog();
    idle->show();
    idle->reject();
    EXPECT_FALSE(idle->isVisible());
    EXPECT_EQ(questions.size(), 2);
    SetQuestionHook({});
}

} // namespace
