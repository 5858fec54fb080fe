#include "engine/sdr_copy.h"

#include "process/command_line.h"

#include <algorithm>
#include <cmath>

namespace {

// The copy's longer side at most: the largest output (720x480 or 704x576, or
// a 20:9 phone picture cropped to fill 576 rows) needs no more. Tone mapping
// a 4K picture in floating point costs four times a 1080p one, and the
// lossless copy grows with it.
constexpr int kMaxCopySide = 1280;

// The nearest even number to `value`, at least 2.
int Even(double value)
{
    return std::max(2, 2 * int(std::lround(value / 2)));
}

// The first scaler: the picture made smaller when it is larger than the copy
// needs, then its light made linear. A stream that names its transfer but not
// its primaries or matrix is taken as the BT.2020 every HDR phone records in.
QByteArray Linearise(const SourcePicture &picture)
{
    QByteArray filter = "zscale=";
    const SourceShape &shape = picture.shape;
    const int longer = std::max(shape.width, shape.height);
    if (shape.known() && longer > kMaxCopySide) {
        const double factor = double(kMaxCopySide) / longer;
        filter += "w=" + QByteArray::number(Even(shape.width * factor)) +
                  ":h=" + QByteArray::number(Even(shape.height * factor)) + ":f=spline16:";
    }
    filter += "t=linear:npl=100";
    if (picture.colour.primaries.isEmpty())
        filter += ":pin=bt2020";
    if (picture.colour.matrix.isEmpty())
        filter += ":min=bt2020nc";
    return filter;
}

}  // namespace

QByteArray SdrCopyParameters(const QString &source, const QString &copy, const SourcePicture &picture)
{
    // Into BT.709's primaries in linear light (1 for 100 cd/m2, the unit the
    // tone mapper takes its peak in: from the stream's mastering data, else
    // 1000 cd/m2), then the highlights rolled off ("mobius": linear up to 0.7,
    // so that what an SDR camera shows keeps its colour and brightness), then
    // BT.709's transfer and matrix. A phone puts SDR white at HLG's 75% signal
    // or PQ's 203 cd/m2 (ITU-R BT.2408), a grade for 100 cd/m2 lower: both
    // keep 0.88 to 0.95 of the SDR original's mean saturation this way. A
    // reference white of 203 keeps more of the highlights but leaves the
    // second kind dim (0.71); "hable" darkens both (0.59 to 0.73).
    const QByteArray filters = Linearise(picture) + ",format=gbrpf32le,zscale=p=bt709,tonemap=mobius:param=0.7:desat=0,"
                                                    "zscale=t=bt709:m=bt709:r=tv,format=yuv420p";
    // Lossless H.264 at its fastest: a third of the size of a lossless intra
    // codec's copy (the encoder's Matroska reader takes no MJPEG), and the
    // quickest for the encoder to decode. The sound as PCM: ffmpeg drops an
    // AAC's priming samples, which the encoder would play (21 ms late at
    // 48 kHz), the encoder's Matroska reader takes it whatever the source's
    // codec, and it costs next to nothing beside the picture.
    return "-v error -y -noautorotate -i " + QuotePath(source) + " -map 0:v:0 -map 0:a:0? -vf " + filters +
           " -fps_mode passthrough -c:v libx264 -preset ultrafast -qp 0 -c:a pcm_s16le -f matroska " + QuotePath(copy);
}
