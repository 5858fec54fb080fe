#include "sniff.h"

#include <stdint.h>
#include <string.h>

/* --- MPEG-4 Part 2 video ------------------------------------------------- */

/* Offset just past the next 00 00 01 at or after `from`, or `size`. */
static size_t NextStartCode(const unsigned char *data, size_t size, size_t from)
{
    for (size_t i = from; i + 3 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
            return i + 3;
    }
    return size;
}

int FirstVopType(const unsigned char *data, size_t size)
{
    for (size_t p = NextStartCode(data, size, 0); p < size; p = NextStartCode(data, size, p)) {
        if (data[p] == 0xB6 && p + 1 < size)
            return data[p + 1] >> 6;
    }
    return -1;
}

/* Accepts a stream that opens (after optional zero stuffing) with a visual
 * object sequence, visual object, video object or video object layer start
 * code, and carries a video object layer header before its first VOP. That
 * keeps out MPEG-1/2 video (00 00 01 B3), program streams (00 00 01 BA) and
 * H.264, which can never hold 00 00 01 B6. */
static int LooksLikeMpeg4Video(const unsigned char *data, size_t size)
{
    size_t i = 0;
    while (i < size && data[i] == 0)
        ++i;
    if (i < 2 || i + 1 >= size || data[i] != 1)
        return 0;
    const unsigned char first = data[i + 1];
    if (!(first <= 0x2F || first == 0xB0 || first == 0xB5))
        return 0;
    int seenLayer = 0;
    for (size_t p = i + 1; p < size; p = NextStartCode(data, size, p)) {
        const unsigned char code = data[p];
        if (code >= 0x20 && code <= 0x2F)
            seenLayer = 1;
        else if (code == 0xB6)
            return seenLayer;
        else if (code > 0x2F && code != 0xB0 && code != 0xB1 && code != 0xB2 && code != 0xB3 &&
                 code != 0xB5)
            return 0; /* a start code that has no place in MPEG-4 video headers */
    }
    return 0;
}

/* --- ADTS AAC ------------------------------------------------------------ */

/* Frame length of the ADTS header at `p`, 0 when there is none. */
static size_t AdtsFrameLength(const unsigned char *p, size_t avail)
{
    if (avail < 7 || p[0] != 0xFF || (p[1] & 0xF6) != 0xF0)
        return 0;
    if (((p[2] >> 2) & 0x0F) > 12) /* sampling frequency index */
        return 0;
    const size_t headerSize = (p[1] & 1) ? 7 : 9;
    const size_t length = ((size_t)(p[3] & 3) << 11) | ((size_t)p[4] << 3) | (p[5] >> 5);
    return length >= headerSize ? length : 0;
}

/* --- MPEG audio ---------------------------------------------------------- */

typedef struct {
    unsigned version; /* 3 = MPEG-1, 2 = MPEG-2, 0 = MPEG-2.5 */
    unsigned layer;   /* 1..3 */
    unsigned sampleRate;
    size_t length;
} MpegAudioHeader;

static int ParseMpegAudioHeader(const unsigned char *p, size_t avail, MpegAudioHeader *h)
{
    static const uint16_t kBitrates[2][3][15] = {
        {/* MPEG-1 */
         {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {/* MPEG-2 and 2.5 */
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const unsigned kSampleRates[3] = {44100, 48000, 32000};

    if (avail < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return 0;
    const unsigned version = (p[1] >> 3) & 3;
    const unsigned layerBits = (p[1] >> 1) & 3;
    const unsigned bitrateIndex = p[2] >> 4;
    const unsigned rateIndex = (p[2] >> 2) & 3;
    /* Reserved version, layer 0 (that is ADTS), free format, bad index. */
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    h->version = version;
    h->layer = 4 - layerBits;
    const int mpeg1 = version == 3;
    h->sampleRate = kSampleRates[rateIndex] >> (mpeg1 ? 0 : (version == 2 ? 1 : 2));
    const unsigned long bitrate = 1000UL * kBitrates[mpeg1 ? 0 : 1][h->layer - 1][bitrateIndex];
    const unsigned padding = (p[2] >> 1) & 1;
    if (h->layer == 1)
        h->length = (12 * bitrate / h->sampleRate + padding) * 4;
    else if (h->layer == 3 && !mpeg1)
        h->length = 72 * bitrate / h->sampleRate + padding;
    else
        h->length = 144 * bitrate / h->sampleRate + padding;
    return 1;
}

/* Number of consecutive matching MPEG audio frames from `pos`, up to `want`.
 * With `toEnd`, a run that reaches the end of the data counts as complete. */
static int MpegAudioRun(const unsigned char *data, size_t size, size_t pos, int want, int toEnd)
{
    MpegAudioHeader first;
    if (!ParseMpegAudioHeader(data + pos, size - pos, &first))
        return 0;
    int frames = 1;
    size_t next = pos + first.length;
    while (frames < want && next + 4 <= size) {
        MpegAudioHeader h;
        if (!ParseMpegAudioHeader(data + next, size - next, &h) || h.version != first.version ||
            h.layer != first.layer || h.sampleRate != first.sampleRate)
            return frames;
        ++frames;
        next += h.length;
    }
    return (toEnd && next + 4 > size) ? want : frames;
}

size_t Id3v2TagSize(const unsigned char *data, size_t size)
{
    if (size < 10 || data[0] != 'I' || data[1] != 'D' || data[2] != '3' || data[3] == 0xFF ||
        data[4] == 0xFF || ((data[6] | data[7] | data[8] | data[9]) & 0x80))
        return 0;
    size_t length = ((size_t)data[6] << 21) | ((size_t)data[7] << 14) | ((size_t)data[8] << 7) |
                    data[9];
    length += 10;
    if (data[5] & 0x10) /* footer present */
        length += 10;
    return length;
}

int IsVideoKind(StreamKind kind)
{
    return kind == STREAM_MPEG4_VIDEO || kind == STREAM_AVI;
}

StreamKind DetectStreamKind(const unsigned char *data, size_t size)
{
    if (size > SNIFF_WINDOW)
        size = SNIFF_WINDOW;
    if (size >= 12 && memcmp(data, "RIFF", 4) == 0 && memcmp(data + 8, "AVI ", 4) == 0)
        return STREAM_AVI;
    if (LooksLikeMpeg4Video(data, size))
        return STREAM_MPEG4_VIDEO;

    size_t start = Id3v2TagSize(data, size);
    if (start >= size)
        return STREAM_UNKNOWN;

    const size_t adts = AdtsFrameLength(data + start, size - start);
    if (adts) {
        const size_t next = start + adts;
        if (next + 7 > size || AdtsFrameLength(data + next, size - next))
            return STREAM_ADTS_AAC;
    }
    if (MpegAudioRun(data, size, start, 2, 1) == 2)
        return STREAM_MPEG_AUDIO;

    /* Audio copied out of a container may start inside a frame: accept it
     * when three matching frames follow a short run of stray bytes. */
    for (size_t pos = start + 1; pos + 4 <= size && pos < start + 4096; ++pos) {
        if (MpegAudioRun(data, size, pos, 3, 0) == 3)
            return STREAM_MPEG_AUDIO;
    }
    return STREAM_UNKNOWN;
}
