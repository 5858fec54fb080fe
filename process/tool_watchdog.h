#pragma once

#include <QByteArray>
#include <chrono>
#include <functional>
#include <optional>

// Decides when a running tool is stuck, so that the runner can end it. A tool
// is stuck when the position it reports runs past `maxPosition` seconds (a
// decoder looping over a broken file repeats its last picture forever), when it
// shows no sign of life for `silence`, or when it is still running after
// `deadline`. Signs of life are output (once the tool has reported a
// position, only a position further on) and, through `activity`, a change in
// the files it writes (a muxer prints nothing while it copies), looked at once
// the tool has shown no other sign for a second (or a quarter of `silence`). Time during
// which `paused` holds is not counted.
class ToolWatchdog {
public:
    using Clock = std::chrono::steady_clock;

    struct Limits {
        std::optional<double> maxPosition;
        std::chrono::milliseconds silence{60000};
        std::optional<std::chrono::milliseconds> deadline;
    };

    explicit ToolWatchdog(Limits limits);

    void setPaused(std::function<bool()> paused) { m_paused = std::move(paused); }
    // A value that changes whenever the tool's files change (size, time).
    void setActivity(std::function<qint64()> activity) { m_activity = std::move(activity); }

    // The run starts now.
    void start(Clock::time_point now);
    // A chunk of the tool's output arrived.
    void output(const char *chunk, Clock::time_point now);
    // Looks at the clock and the tool's files; true once the tool is stuck
    // (and from then on).
    bool check(Clock::time_point now);

    bool stuck() const { return m_stuck; }
    // The furthest position the tool reported, in seconds.
    double position() const { return m_position; }

private:
    void alive(Clock::time_point now);

    Limits m_limits;
    std::function<bool()> m_paused;
    std::function<qint64()> m_activity;
    Clock::time_point m_lastSign;
    Clock::duration m_running{};  // unpaused running time, up to m_lastCheck
    Clock::time_point m_lastCheck;
    std::optional<qint64> m_lastActivity;
    double m_position = 0;
    bool m_reportsPositions = false;
    bool m_stuck = false;
};

// The latest position (seconds) a tool reports in a chunk of its output:
// the encoder's "Pos:  12.3s", or ffmpeg's "time=00:00:12.30".
std::optional<double> ParseToolPosition(const char *chunk);
