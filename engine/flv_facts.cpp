#include "engine/flv_facts.h"

#include "base/bit_reader.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>

namespace {

constexpr int kTagHeader = 11;
// Of each tag's data, this much is kept: enough for the codec byte and the
// picture header of a video frame, or the first MP3 frame header.
constexpr int kTagStart = 16;

enum TagType : quint8 { kAudioTag = 8, kVideoTag = 9 };
constexpr quint8 kSorensonH263 = 2;
constexpr quint8 kMp3 = 2;

// The picture size in the header of a Sorenson H.263 frame (after the tag's
// codec byte); 0x0 when the header does not start as one.
std::pair<int, int> SorensonPictureSize(const QByteArray &frame)
{
    BitReader bits(frame);
    if (bits.bits(17) != 1)
        return {0, 0};
    bits.bits(5 + 8);  // version, temporal reference
    switch (int(bits.bits(3))) {
    case 0: {
        const int width = int(bits.bits(8));
        return {width, int(bits.bits(8))};
    }
    case 1: {
        const int width = int(bits.bits(16));
        return {width, int(bits.bits(16))};
    }
    case 2:
        return {352, 288};
    case 3:
        return {176, 144};
    case 4:
        return {128, 96};
    case 5:
        return {320, 240};
    case 6:
        return {160, 120};
    default:
        return {0, 0};
    }
}

// The sampling rate in the first MP3 frame header of `data`; 0 when there is none.
int Mp3SampleRate(const QByteArray &data)
{
    if (data.size() < 4 || quint8(data[0]) != 0xFF || (quint8(data[1]) & 0xE0) != 0xE0)
        return 0;
    static const int kMpeg1[] = {44100, 48000, 32000};
    const int version = (quint8(data[1]) >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int index = (quint8(data[2]) >> 2) & 3;
    if (index == 3 || version == 1)
        return 0;
    return kMpeg1[index] / (version == 3 ? 1 : version == 2 ? 2 : 4);
}

struct Tag {
    quint8 type = 0;
    qint64 milliseconds = 0;
    QByteArray start;  // the first bytes of its data
};

// Gathers what the tags tell.
class FlvSummary {
public:
    void add(const Tag &tag)
    {
        if (tag.start.isEmpty())
            return;
        if (tag.type == kVideoTag) {
            if (m_videoTags++ == 0) {
                m_facts.videoCodec =
                    (quint8(tag.start[0]) & 0x0F) == kSorensonH263 ? QStringLiteral("flv1") : QStringLiteral("other");
                std::tie(m_facts.width, m_facts.height) = SorensonPictureSize(tag.start.mid(1));
                m_firstVideo = tag.milliseconds;
            }
            m_lastVideo = tag.milliseconds;
        } else if (tag.type == kAudioTag) {
            if (m_audioTags++ == 0) {
                const quint8 flags = quint8(tag.start[0]);
                const bool mp3 = (flags >> 4) == kMp3;
                m_facts.audioCodec = mp3 ? QStringLiteral("mp3") : QStringLiteral("other");
                static const int kFlagRates[] = {5512, 11025, 22050, 44100};
                const int headerRate = mp3 ? Mp3SampleRate(tag.start.mid(1)) : 0;
                m_facts.sampleRate = headerRate > 0 ? headerRate : kFlagRates[(flags >> 2) & 3];
                m_facts.channels = (flags & 1) ? 2 : 1;
            }
            m_lastAudio = tag.milliseconds;
        }
    }

    OutputFacts facts(qint64 fileBytes) const
    {
        OutputFacts facts = m_facts;
        facts.readable = m_videoTags + m_audioTags > 0;
        facts.container = QStringLiteral("flv");
        facts.fileBytes = fileBytes;
        const qint64 videoSpan = m_lastVideo - m_firstVideo;
        if (m_videoTags > 1 && videoSpan > 0)
            facts.frameRate = double(m_videoTags - 1) * 1000.0 / double(videoSpan);
        // The last frame lasts as long as the others on average.
        const double frameSeconds = facts.frameRate > 0 ? 1 / facts.frameRate : 0;
        facts.seconds = std::max(double(m_lastVideo) / 1000.0 + frameSeconds, double(m_lastAudio) / 1000.0);
        if (facts.seconds > 0)
            facts.bitrate = qint64(double(fileBytes) * 8 / facts.seconds);
        return facts;
    }

private:
    OutputFacts m_facts;
    qint64 m_videoTags = 0, m_audioTags = 0;
    qint64 m_firstVideo = 0, m_lastVideo = 0, m_lastAudio = 0;
};

qint64 TagTime(const uchar *header)
{
    return qint64(header[4]) << 16 | qint64(header[5]) << 8 | header[6] | qint64(header[7]) << 24;
}

// The offset of the first tag after the file header, or -1 when it is no FLV.
qint64 FirstTagOffset(const QByteArray &head)
{
    if (head.size() < 9 || !head.startsWith("FLV"))
        return -1;
    return qFromBigEndian<quint32>(head.constData() + 5) + 4;  // then the first "previous tag size"
}

OutputFacts ScanTags(QFile &file)
{
    const QByteArray head = file.read(16);
    const qint64 fileBytes = file.size();
    const auto readAt = [&file](qint64 at, int length) { return file.seek(at) ? file.read(length) : QByteArray(); };
    const qint64 first = FirstTagOffset(head);
    if (first < 0)
        return {};
    FlvSummary summary;
    for (qint64 at = first; at + kTagHeader <= fileBytes;) {
        const QByteArray header = readAt(at, kTagHeader);
        if (header.size() < kTagHeader)
            break;
        const auto *bytes = reinterpret_cast<const uchar *>(header.constData());
        const qint64 size = qint64(bytes[1]) << 16 | qint64(bytes[2]) << 8 | bytes[3];
        if (at + kTagHeader + size > fileBytes)
            break;  // cut short: what came before still counts
        summary.add({bytes[0], TagTime(bytes), readAt(at + kTagHeader, int(std::min<qint64>(size, kTagStart)))});
        at += kTagHeader + size + 4;
    }
    return summary.facts(fileBytes);
}

}  // namespace

OutputFacts ReadFlvFacts(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ScanTags(file);
}
