#include "mux.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <libavutil/dict.h>
#include <libavutil/mem.h>

#include "progress.h"

int OpenExistingMp4(AVFormatContext **fmt, const char *path, char *error, size_t errorSize)
{
    char *url = FileUrl(path);
    const int opened = url ? avformat_open_input(fmt, url, NULL, NULL) : -1;
    free(url);
    if (opened < 0 || !strstr((*fmt)->iformat->name, "mp4") ||
        avformat_find_stream_info(*fmt, NULL) < 0) {
        avformat_close_input(fmt);
        snprintf(error, errorSize, "not a readable MP4 file: %s", path);
        return -1;
    }
    return 0;
}

/* One place packets come from: the kept file, the new track or the new sound. */
typedef struct {
    AVFormatContext *existing; /* NULL for a new track */
    const int *map;            /* existing stream -> output stream, -1 = dropped */
    int64_t *packetsRead;      /* existing stream -> packets read so far */
    NewTrack *track;
    SoundTrack *sound;
    int trackOutput;           /* output stream of the new track or sound */
    AVPacket *packet;          /* the next packet, valid while `pending` */
    AVRational timeBase;       /* of `packet` */
    int pending;
} Source;

/* With the index at the front, a file cut short still opens: its end is
 * only seen as fewer packets than the index lists. */
static int AllPacketsRead(const Source *source)
{
    for (unsigned i = 0; i < source->existing->nb_streams; ++i) {
        const int64_t listed = source->existing->streams[i]->nb_frames;
        if (source->map[i] >= 0 && listed > 0 && source->packetsRead[i] < listed)
            return 0;
    }
    return 1;
}

/* Reads the source's next packet into `packet`: 1 when there is one, 0 at
 * the end, a negative AVERROR on a read failure. */
static int Advance(Source *source)
{
    source->pending = 0;
    if (!source->existing) {
        const int ret = source->sound ? SoundTrackNext(source->sound, source->packet)
                                      : NewTrackNext(source->track, source->packet);
        if (ret == AVERROR_EOF)
            return 0;
        if (ret < 0)
            return ret;
        source->packet->stream_index = source->trackOutput;
        source->timeBase = source->sound ? source->sound->timeBase : source->track->timeBase;
        source->pending = 1;
        return 1;
    }
    for (;;) {
        const int ret = av_read_frame(source->existing, source->packet);
        if (ret == AVERROR_EOF)
            return AllPacketsRead(source) ? 0 : AVERROR_INVALIDDATA;
        if (ret < 0)
            return ret;
        const int input = source->packet->stream_index;
        if (input < (int)source->existing->nb_streams && source->map[input] >= 0) {
            ++source->packetsRead[input];
            source->timeBase = source->existing->streams[input]->time_base;
            source->packet->stream_index = source->map[input];
            source->packet->pos = -1;
            source->pending = 1;
            return 1;
        }
        av_packet_unref(source->packet);
    }
}

static int64_t OrderKey(const AVPacket *packet)
{
    return packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
}

/* 1 when `a`'s packet goes before `b`'s. */
static int Earlier(const Source *a, const Source *b)
{
    const int64_t ka = OrderKey(a->packet), kb = OrderKey(b->packet);
    if (ka == AV_NOPTS_VALUE)
        return 1;
    if (kb == AV_NOPTS_VALUE)
        return 0;
    return av_compare_ts(ka, a->timeBase, kb, b->timeBase) <= 0;
}

static AVStream *AddStream(AVFormatContext *out, const AVCodecParameters *par, AVRational timeBase)
{
    AVStream *stream = avformat_new_stream(out, NULL);
    if (!stream || avcodec_parameters_copy(stream->codecpar, par) < 0)
        return NULL;
    stream->codecpar->codec_tag = 0; /* let the MP4 writer pick its own tag */
    stream->time_base = timeBase;
    return stream;
}

/* Copies every packet of the sources into `out`, earliest first. A read
 * failure sets `*readFailed`. */
static int CopyPackets(AVFormatContext *out, Source *sources, int count, int *readFailed)
{
    *readFailed = 1;
    for (int i = 0; i < count; ++i) {
        const int ret = Advance(&sources[i]);
        if (ret < 0)
            return ret;
    }
    for (;;) {
        Source *next = NULL;
        for (int i = 0; i < count; ++i) {
            if (sources[i].pending && (!next || Earlier(&sources[i], next)))
                next = &sources[i];
        }
        if (!next)
            return 0;
        AVPacket *packet = next->packet;
        if (OrderKey(packet) != AV_NOPTS_VALUE)
            ReportProgress((double)OrderKey(packet) * av_q2d(next->timeBase));
        av_packet_rescale_ts(packet, next->timeBase, out->streams[packet->stream_index]->time_base);
        *readFailed = 0;
        int ret = av_interleaved_write_frame(out, packet); /* takes the packet's data */
        if (ret < 0)
            return ret;
        *readFailed = 1;
        ret = Advance(next);
        if (ret < 0)
            return ret;
    }
}

int WriteMp4(const char *outPath, AVFormatContext *existing, NewTrack *track, SoundTrack *sound,
             char *error, size_t errorSize)
{
    AVFormatContext *out = NULL;
    int *map = NULL;
    int64_t *packetsRead = NULL;
    AVCodecParameters *soundParameters = NULL;
    Source sources[3];
    memset(sources, 0, sizeof sources);
    int sourceCount = 0;
    int result = -1;
    const char *what = "cannot write";
    int readFailed = 0;

    if (avformat_alloc_output_context2(&out, NULL, "mp4", NULL) < 0 || !out)
        goto done;

    if (existing) {
        map = malloc(sizeof *map * (existing->nb_streams + 1));
        packetsRead = calloc(existing->nb_streams + 1, sizeof *packetsRead);
        if (!map || !packetsRead)
            goto done;
        for (unsigned i = 0; i < existing->nb_streams; ++i) {
            const AVStream *in = existing->streams[i];
            const enum AVMediaType type = in->codecpar->codec_type;
            map[i] = -1;
            if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
                continue; /* timecode or chapter data: not ours to carry over */
            AVStream *copy = AddStream(out, in->codecpar, in->time_base);
            if (!copy)
                goto done;
            copy->avg_frame_rate = in->avg_frame_rate;
            copy->disposition = in->disposition;
            av_dict_copy(&copy->metadata, in->metadata, 0);
            map[i] = copy->index;
        }
        sources[sourceCount].existing = existing;
        sources[sourceCount].map = map;
        sources[sourceCount].packetsRead = packetsRead;
        ++sourceCount;
    }

    const AVStream *in = track->fmt->streams[track->streamIndex];
    AVStream *added = AddStream(out, in->codecpar, track->timeBase);
    if (!added)
        goto done;
    if (IsVideoKind(track->kind))
        added->avg_frame_rate = added->r_frame_rate = track->frameRate;
    sources[sourceCount].track = track;
    sources[sourceCount].trackOutput = added->index;
    ++sourceCount;
    if (sound) {
        soundParameters = avcodec_parameters_alloc();
        if (!soundParameters || avcodec_parameters_from_context(soundParameters, sound->encoder) < 0)
            goto done;
        AVStream *compressed = AddStream(out, soundParameters, sound->timeBase);
        if (!compressed)
            goto done;
        sources[sourceCount].sound = sound;
        sources[sourceCount].trackOutput = compressed->index;
        ++sourceCount;
    }

    for (int i = 0; i < sourceCount; ++i) {
        sources[i].packet = av_packet_alloc();
        if (!sources[i].packet)
            goto done;
    }

    /* The writer reopens the file by its name to move the index in front. */
    char *url = FileUrl(outPath);
    out->url = url ? av_strdup(url) : NULL;
    const int opened = out->url ? avio_open(&out->pb, url, AVIO_FLAG_WRITE) : -1;
    free(url);
    if (opened < 0)
        goto done;
    /* The index (moov) goes before the media data (mdat), so that a player
     * reading the file as it arrives can start before it has all of it. */
    AVDictionary *options = NULL;
    av_dict_set(&options, "movflags", "+faststart", 0);
    const int headed = avformat_write_header(out, &options);
    av_dict_free(&options);
    if (headed < 0) {
        what = "cannot store these streams in the MP4 file";
        goto done;
    }
    const int copied = CopyPackets(out, sources, sourceCount, &readFailed);
    const int trailer = av_write_trailer(out);
    if (copied < 0) {
        if (readFailed)
            what = "read error in the input streams";
        goto done;
    }
    if (trailer < 0 || out->pb->error < 0)
        goto done;
    if (avio_closep(&out->pb) < 0)
        goto done;
    result = 0;

done:
    if (result < 0)
        snprintf(error, errorSize, "%s", what);
    for (int i = 0; i < sourceCount; ++i)
        av_packet_free(&sources[i].packet);
    if (out && out->pb)
        avio_closep(&out->pb);
    avformat_free_context(out);
    free(map);
    free(packetsRead);
    avcodec_parameters_free(&soundParameters);
    return result;
}
