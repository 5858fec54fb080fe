#include "track.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <libavutil/mem.h>

char *FileUrl(const char *path)
{
    const size_t length = strlen(path);
    char *url = malloc(length + 6);
    if (url) {
        memcpy(url, "file:", 5);
        memcpy(url + 5, path, length + 1);
    }
    return url;
}

int FileHasBVops(const char *path)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return -1;
    enum { kChunk = 1 << 20, kCarry = 4 };
    unsigned char *buffer = malloc(kChunk + kCarry);
    if (!buffer) {
        fclose(file);
        return -1;
    }
    /* The last bytes of each chunk are kept so that a start code split across
     * two reads is still seen. */
    size_t carried = 0;
    int found = 0;
    for (;;) {
        const size_t got = fread(buffer + carried, 1, kChunk, file);
        if (got == 0)
            break;
        const size_t size = carried + got;
        for (size_t i = 0; i + 4 < size; ++i) {
            if (buffer[i] == 0 && buffer[i + 1] == 0 && buffer[i + 2] == 1 && buffer[i + 3] == 0xB6 &&
                (buffer[i + 4] >> 6) == 2) {
                found = 1;
                break;
            }
        }
        if (found)
            break;
        carried = size < kCarry ? size : kCarry;
        memmove(buffer, buffer + size - carried, carried);
    }
    const int failed = ferror(file);
    free(buffer);
    fclose(file);
    return failed ? -1 : found;
}

static int PushPacket(AVPacket ***items, size_t *count, size_t *capacity, AVPacket *packet)
{
    if (*count == *capacity) {
        const size_t grown = *capacity ? *capacity * 2 : 8;
        AVPacket **bigger = realloc(*items, grown * sizeof *bigger);
        if (!bigger)
            return AVERROR(ENOMEM);
        *items = bigger;
        *capacity = grown;
    }
    (*items)[(*count)++] = packet;
    return 0;
}

static int IsBVop(const AVPacket *packet)
{
    return FirstVopType(packet->data, (size_t)packet->size) == 2;
}

/* Gives the held group its timestamps and moves it to the ready list: the
 * B-VOPs are shown first, in their order, then the reference VOP they follow
 * in the stream. Decode timestamps count the VOPs, one frame early when there
 * are B-VOPs, so that the first frame is still shown at 0. */
static int FlushGroup(NewTrack *track)
{
    if (track->readyCount == 0)
        track->readyHead = 0;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < track->groupCount; ++i) {
            AVPacket *packet = track->group[i];
            if (IsBVop(packet) == (pass == 0))
                packet->pts = track->displayed++;
        }
    }
    for (size_t i = 0; i < track->groupCount; ++i) {
        AVPacket *packet = track->group[i];
        packet->dts = track->decoded++ - track->delay;
        packet->duration = 1;
        size_t count = track->readyHead + track->readyCount;
        const int ret = PushPacket(&track->ready, &count, &track->readyCapacity, packet);
        if (ret < 0) {
            for (size_t j = i; j < track->groupCount; ++j)
                av_packet_free(&track->group[j]);
            track->groupCount = 0;
            return ret;
        }
        ++track->readyCount;
    }
    track->groupCount = 0;
    return 0;
}

static int NextVideo(NewTrack *track, AVPacket *out)
{
    while (track->readyCount == 0) {
        AVPacket *packet = av_packet_alloc();
        if (!packet)
            return AVERROR(ENOMEM);
        int ret = av_read_frame(track->fmt, packet);
        if (ret == AVERROR_EOF) {
            av_packet_free(&packet);
            if (track->groupCount == 0)
                return AVERROR_EOF;
            ret = FlushGroup(track);
            if (ret < 0)
                return ret;
            break;
        }
        if (ret < 0) {
            av_packet_free(&packet);
            return ret;
        }
        if (packet->stream_index != track->streamIndex || packet->size <= 0) {
            av_packet_free(&packet);
            continue;
        }
        if (!IsBVop(packet) && track->groupCount > 0 && (ret = FlushGroup(track)) < 0) {
            av_packet_free(&packet);
            return ret;
        }
        ret = PushPacket(&track->group, &track->groupCount, &track->groupCapacity, packet);
        if (ret < 0) {
            av_packet_free(&packet);
            return ret;
        }
    }
    AVPacket *packet = track->ready[track->readyHead++];
    --track->readyCount;
    av_packet_move_ref(out, packet);
    av_packet_free(&packet);
    out->pos = -1;
    return 0;
}

static int NextAudio(NewTrack *track, AVPacket *out)
{
    const AVStream *stream = track->fmt->streams[track->streamIndex];
    for (;;) {
        const int ret = av_read_frame(track->fmt, out);
        if (ret < 0)
            return ret;
        if (out->stream_index == track->streamIndex && out->size > 0)
            break;
        av_packet_unref(out);
    }
    int64_t duration = 0;
    if (out->duration > 0)
        duration = av_rescale_q(out->duration, stream->time_base, track->timeBase);
    if (duration <= 0)
        duration = stream->codecpar->frame_size > 0 ? stream->codecpar->frame_size : 1024;
    out->pts = out->dts = track->samples;
    out->duration = duration;
    out->pos = -1;
    track->samples += duration;
    return 0;
}

int NewTrackNext(NewTrack *track, AVPacket *out)
{
    return IsVideoKind(track->kind) ? NextVideo(track, out) : NextAudio(track, out);
}

/* 1 when a packet of the open file's stream `streamIndex` holds a B-VOP, 0
 * when none does, -1 on a read error. The file is read from its start again
 * afterwards. (Scanning the whole AVI file's bytes, as for a raw stream, could
 * take sound data for a start code.) */
static int PacketsHoldBVops(AVFormatContext *fmt, int streamIndex)
{
    AVPacket *packet = av_packet_alloc();
    if (!packet)
        return -1;
    int found = 0;
    int ret;
    while (!found && (ret = av_read_frame(fmt, packet)) >= 0) {
        found = packet->stream_index == streamIndex && IsBVop(packet);
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (!found && ret != AVERROR_EOF)
        return -1;
    return avformat_seek_file(fmt, streamIndex, INT64_MIN, 0, INT64_MAX, 0) < 0 ? -1 : found;
}

static int Fail(char *error, size_t errorSize, const char *what, const char *path)
{
    snprintf(error, errorSize, "%s: %s", what, path);
    return -1;
}

int OpenNewTrack(NewTrack *track, const char *path, StreamKind kind, AVRational frameRate,
                 char *error, size_t errorSize)
{
    memset(track, 0, sizeof *track);
    track->kind = kind;
    track->frameRate = frameRate;
    const char *demuxer = kind == STREAM_MPEG4_VIDEO ? "m4v"
                          : kind == STREAM_AVI       ? "avi"
                          : kind == STREAM_ADTS_AAC  ? "aac"
                                                     : "mp3";
    const AVInputFormat *format = av_find_input_format(demuxer);
    char *url = FileUrl(path);
    if (!format || !url) {
        free(url);
        return Fail(error, errorSize, "cannot set up the reader for", path);
    }
    const int opened = avformat_open_input(&track->fmt, url, format, NULL);
    free(url);
    if (opened < 0)
        return Fail(error, errorSize, "cannot open", path);
    if (avformat_find_stream_info(track->fmt, NULL) < 0 || track->fmt->nb_streams < 1)
        return Fail(error, errorSize, "no stream found in", path);
    track->streamIndex = 0;
    if (kind == STREAM_AVI) {
        track->streamIndex = av_find_best_stream(track->fmt, AVMEDIA_TYPE_VIDEO, -1, -1, NULL, 0);
        if (track->streamIndex < 0)
            return Fail(error, errorSize, "no video stream in", path);
    }
    const AVCodecParameters *par = track->fmt->streams[track->streamIndex]->codecpar;

    if (IsVideoKind(kind)) {
        if (par->codec_id != AV_CODEC_ID_MPEG4 || par->width <= 0 || par->height <= 0)
            return Fail(error, errorSize, "not a usable MPEG-4 video stream", path);
        const int hasB =
            kind == STREAM_AVI ? PacketsHoldBVops(track->fmt, track->streamIndex) : FileHasBVops(path);
        if (hasB < 0)
            return Fail(error, errorSize, "cannot read", path);
        track->delay = hasB;
        track->timeBase = av_inv_q(frameRate);
    } else {
        const int audioCodec = par->codec_id == AV_CODEC_ID_AAC || par->codec_id == AV_CODEC_ID_MP3 ||
                               par->codec_id == AV_CODEC_ID_MP2 || par->codec_id == AV_CODEC_ID_MP1;
        if (par->codec_type != AVMEDIA_TYPE_AUDIO || !audioCodec || par->sample_rate <= 0)
            return Fail(error, errorSize, "not a usable audio stream", path);
        track->timeBase = (AVRational){1, par->sample_rate};
    }
    return 0;
}

void CloseNewTrack(NewTrack *track)
{
    for (size_t i = 0; i < track->groupCount; ++i)
        av_packet_free(&track->group[i]);
    for (size_t i = 0; i < track->readyCount; ++i)
        av_packet_free(&track->ready[track->readyHead + i]);
    free(track->group);
    free(track->ready);
    avformat_close_input(&track->fmt);
    memset(track, 0, sizeof *track);
}
