#include "bench/bench_clips.h"

#include "tests/support/test_support.h"

#include <QStringList>

bool MakeClip(const QString &path, const ClipShape &shape)
{
    const QString video = QStringLiteral("testsrc2=size=%1x%2:rate=%3,trim=start=%4,setpts=PTS-STARTPTS")
                              .arg(shape.width)
                              .arg(shape.height)
                              .arg(shape.frameRate)
                              .arg(shape.start);
    const QString tone = QStringLiteral("sine=frequency=%1:sample_rate=44100").arg(440 + 20 * shape.start);
    // The filters and the path are passed whole; the rest holds no spaces.
    const QStringList arguments =
        QStringLiteral("-v error -y -f lavfi -i %1 -f lavfi -i %2 -t %3 -c:v libx264 -preset veryfast -pix_fmt yuv420p "
                       "-c:a aac -b:a 128k")
            .arg(video, tone, QString::number(shape.seconds))
            .split(QLatin1Char(' '));
    return RunProgram("ffmpeg", arguments + QStringList{path}, nullptr, 600000) == 0;
}
