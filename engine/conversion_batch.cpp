#include "engine/conversion_batch.h"

#include "base/thread_tracker.h"
#include "engine/conversion_worker.h"
#include "install/tool_dir.h"
#include "settings/output_folder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

struct ConversionBatch::State {
    mutable std::mutex mutex;
    mutable std::condition_variable idle;
    std::shared_ptr<ConversionJob> job;  // the latest batch
    bool jobDone = true;                 // the latest batch's worker has ended
    int workers = 0;                     // workers still running (a stopped one may still finish a tool)

    std::optional<QByteArray> toolDir;
    std::function<QString()> outputFolder;
    std::function<QTime()> clock;
    std::optional<std::chrono::milliseconds> silence;
    std::optional<int> rowsAtOnce;
};

BatchChoices DefaultChoices(OutputFormat format)
{
    const FormatPresets &presets = PresetsFor(format);
    BatchChoices choices;
    QString width, height;
    SplitResolution(presets.defaultResolution, &width, &height);
    choices.width = width.toInt();
    choices.height = height.toInt();
    choices.frameRate = presets.defaultFrameRate.toInt();
    choices.bitrate = presets.defaultBitrate.toInt();
    choices.format = format;
    return choices;
}

ConversionBatch::ConversionBatch() : m_state(std::make_shared<State>()) {}

// Workers hold the state themselves, so a batch still running when the window
// goes simply runs out (the window's port then answers with empty values).
ConversionBatch::~ConversionBatch() = default;

bool ConversionBatch::start(std::shared_ptr<DialogPort> port, const BatchChoices &choices)
{
    std::lock_guard lock(m_state->mutex);
    // A stopped batch may still be ending its rows (a tool being reaped, a
    // row's files being removed, its state being reported): a new batch over
    // the same rows waits until the old one has ended whole.
    if (!m_state->jobDone)
        return false;

    auto job = std::make_shared<ConversionJob>();
    job->port = std::move(port);
    job->choices = choices;
    job->toolDir = m_state->toolDir.value_or(g_szToolDir);
    job->outputFolder = m_state->outputFolder ? m_state->outputFolder : std::function<QString()>(GetOutputFolder);
    if (m_state->silence)
        job->silence = *m_state->silence;
    job->rowsAtOnce = std::max(1, m_state->rowsAtOnce.value_or(RowsAtOnce()));
    job->clock = m_state->clock ? m_state->clock : std::function<QTime()>([] { return QTime::currentTime(); });
    // A batch started while the pause button is down starts paused.
    if (m_paused)
        job->encoder.pause();

    std::shared_ptr<State> state = m_state;
    try {
        std::thread([state, job] {
            {
                ThreadTracker::Scope tracked;
                ConvertThread(*job);
            }
            std::lock_guard done(state->mutex);
            if (state->job == job)
                state->jobDone = true;
            --state->workers;
            state->idle.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return false;  // no thread: nothing started
    }
    m_state->job = job;
    m_state->jobDone = false;
    ++m_state->workers;
    return true;
}

bool ConversionBatch::isStopping() const
{
    std::lock_guard lock(m_state->mutex);
    return !m_state->jobDone && m_state->job->encoder.stopRequested();
}

bool ConversionBatch::isRunning() const
{
    std::lock_guard lock(m_state->mutex);
    return !m_state->jobDone && !m_state->job->encoder.stopRequested();
}

void ConversionBatch::pause()
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->job)
        m_state->job->encoder.pause();
}

void ConversionBatch::resume()
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->job)
        m_state->job->encoder.resume();
}

bool ConversionBatch::pauseOrResume()
{
    m_paused = !m_paused;
    if (m_paused)
        pause();
    else
        resume();
    return m_paused;
}

void ConversionBatch::stop()
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->job)
        m_state->job->encoder.requestStop();
}

void ConversionBatch::setToolDir(const QByteArray &toolDir)
{
    std::lock_guard lock(m_state->mutex);
    m_state->toolDir = toolDir;
}

void ConversionBatch::setOutputFolderProvider(std::function<QString()> provider)
{
    std::lock_guard lock(m_state->mutex);
    m_state->outputFolder = std::move(provider);
}

void ConversionBatch::setClock(std::function<QTime()> clock)
{
    std::lock_guard lock(m_state->mutex);
    m_state->clock = std::move(clock);
}

void ConversionBatch::setSilenceLimit(std::chrono::milliseconds limit)
{
    std::lock_guard lock(m_state->mutex);
    m_state->silence = limit;
}

void ConversionBatch::setRowsAtOnce(int rows)
{
    std::lock_guard lock(m_state->mutex);
    m_state->rowsAtOnce = rows;
}

pid_t ConversionBatch::encoderPid() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->job ? m_state->job->encoder.pid() : 0;
}

bool ConversionBatch::waitIdle(int milliseconds) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->idle.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [this] { return m_state->workers == 0; });
}
