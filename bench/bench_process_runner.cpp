// How long the tool runner takes for what the tests only check the outcome
// of: a tool that cannot start, a tool that ends at once, and ending every
// running tool. Prints the best and the worst of several runs in milliseconds.
#include "process/child_registry.h"
#include "process/process_runner.h"
#include "tests/support/test_support.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>

namespace {

constexpr int kRuns = 20;

void Report(const char *what, const std::function<double()> &once)
{
    QList<double> times;
    for (int run = 0; run < kRuns; ++run)
        times << once();
    std::sort(times.begin(), times.end());
    std::printf("%-42s best %8.2f ms   worst %8.2f ms\n", what, times.first(), times.last());
}

double Milliseconds(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main()
{
    const QByteArray dir = QFile::encodeName(MakeTempDir());
    const QByteArray sleeper = dir + "/sleeper";
    QFile script(QFile::decodeName(sleeper));
    if (!script.open(QIODevice::WriteOnly))
        return 1;
    script.write("#!/bin/sh\nexec sleep 20\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QByteArray load;
    RunProgram(QStringLiteral("uptime"), {}, &load);
    std::printf("load: %s", load.constData());

    const std::atomic<bool> live{true};
    const ChunkParser ignore = [](const char *) {};

    Report("RunCaptured, tool missing", [&] {
        QElapsedTimer timer;
        timer.start();
        RunCaptured(dir + "/missing", Priority::Idle, live, ignore);
        return Milliseconds(timer);
    });
    Report("RunAndWait, tool missing", [&] {
        QElapsedTimer timer;
        timer.start();
        RunAndWait(dir + "/missing", "-i x");
        return Milliseconds(timer);
    });
    Report("RunCaptured, /bin/true to its end", [&] {
        QElapsedTimer timer;
        timer.start();
        RunCaptured("/bin/true", Priority::Normal, live, ignore);
        return Milliseconds(timer);
    });
    Report("killAll until a 20 s tool's run returns", [&] {
        std::atomic<bool> started{false};
        std::thread runner(
            [&] { RunCaptured(sleeper, Priority::Normal, live, ignore, [&](pid_t) { started = true; }); });
        WaitUntil([&] { return started.load(); });
        QElapsedTimer timer;
        timer.start();
        ChildRegistry::killAll();
        runner.join();
        return Milliseconds(timer);
    });
    return 0;
}
