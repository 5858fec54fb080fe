#pragma once

#include "engine/dialog_port.h"
#include "engine/output_presets.h"
#include "settings/output_style.h"

#include <QByteArray>
#include <QString>
#include <QTime>
#include <chrono>
#include <functional>
#include <memory>
#include <sys/types.h>

// The output choices captured by the start command for one batch, as numbers
// read once from the boxes: the picture's size, frames per second and the
// video's kilobits per second.
struct BatchChoices {
    int width = 0, height = 0, frameRate = 0, bitrate = 0;
    OutputFormat format = OutputFormat::Mp4;
    // The start command passes the user's settings; a batch given none names
    // its outputs after the time and stretches the picture to the size.
    OutputNaming naming = OutputNaming::TimeOfDay;
    PictureShape shape = PictureShape::Stretch;
    qint64 maxBytes = 0;   // the most a row's file may hold; 0: no limit
    int soundBitrate = 0;  // the sound's kilobits per second; 0: the format's own
};

// The format's default preset (its boxes' first choices) as numbers.
BatchChoices DefaultChoices(OutputFormat format);

// The conversion batch of the window: at most one batch runs at a time, with
// up to a few rows at once. Pause, resume and stop act on that batch's running
// tools only, on every running row at once.
class ConversionBatch {
public:
    ConversionBatch();
    ~ConversionBatch();

    // Starts the worker over the port's rows; false (and nothing changes) while
    // a batch is still running, or stopped but still ending its rows.
    bool start(std::shared_ptr<DialogPort> port, const BatchChoices &choices);
    // A batch runs and has not been stopped.
    bool isRunning() const;
    // A batch has been stopped and some of its rows have not ended yet.
    bool isStopping() const;

    // SIGSTOP / SIGCONT to every running row's tool; nothing when none runs.
    void pause();
    void resume();
    // The pause button's toggle: a press pauses, the next resumes, whether or
    // not a batch runs. True when this press paused.
    bool pauseOrResume();
    bool pauseToggled() const { return m_paused; }
    // Asks the worker to start nothing more and kills every running row's tool.
    void stop();

    // Where batches started from now on find their tools (default: g_szToolDir
    // as it is at the start), their output folder (default: GetOutputFolder,
    // asked for every row) and the time of day (default: local time).
    void setToolDir(const QByteArray &toolDir);
    void setOutputFolderProvider(std::function<QString()> provider);
    void setClock(std::function<QTime()> clock);
    // How long a tool of later batches may show no sign of life (default 60 s).
    void setSilenceLimit(std::chrono::milliseconds limit);
    // How many rows later batches convert at once (default: one per online core, up to 8).
    void setRowsAtOnce(int rows);

    // A running row tool's process id, 0 when none runs.
    pid_t encoderPid() const;
    // Waits until every worker this batch object started has ended; true when
    // none runs any more.
    bool waitIdle(int milliseconds) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
    bool m_paused = false;
};
