#include "sound_track.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>

#include "track.h"

static int OpenAvi(AVFormatContext **fmt, const char *path)
{
    char *url = FileUrl(path);
    const AVInputFormat *avi = av_find_input_format("avi");
    const int opened = url && avi ? avformat_open_input(fmt, url, avi, NULL) : -1;
    free(url);
    if (opened < 0)
        return -1;
    if (avformat_find_stream_info(*fmt, NULL) < 0) {
        avformat_close_input(fmt);
        return -1;
    }
    return 0;
}

int AviHasSound(const char *path)
{
    AVFormatContext *fmt = NULL;
    if (OpenAvi(&fmt, path) < 0)
        return -1;
    const int found = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, NULL, 0) >= 0;
    avformat_close_input(&fmt);
    return found;
}

static int Fail(char *error, size_t errorSize, const char *what, const char *path)
{
    snprintf(error, errorSize, "%s: %s", what, path);
    return -1;
}

int OpenSoundTrack(SoundTrack *track, const char *path, int kbps, char *error, size_t errorSize)
{
    memset(track, 0, sizeof *track);
    if (OpenAvi(&track->fmt, path) < 0)
        return Fail(error, errorSize, "cannot open", path);
    track->streamIndex = av_find_best_stream(track->fmt, AVMEDIA_TYPE_AUDIO, -1, -1, NULL, 0);
    if (track->streamIndex < 0)
        return Fail(error, errorSize, "no sound in", path);
    const AVCodecParameters *par = track->fmt->streams[track->streamIndex]->codecpar;
    const int channels = par->ch_layout.nb_channels;
    if (par->codec_id != AV_CODEC_ID_PCM_S16LE || par->sample_rate <= 0 || channels < 1 || channels > 2)
        return Fail(error, errorSize, "the sound is not mono or stereo 16-bit PCM", path);

    const AVCodec *aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    track->encoder = aac ? avcodec_alloc_context3(aac) : NULL;
    track->frame = av_frame_alloc();
    track->read = av_packet_alloc();
    if (!track->encoder || !track->frame || !track->read)
        return Fail(error, errorSize, "cannot set up the AAC encoder for", path);
    AVCodecContext *encoder = track->encoder;
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = par->sample_rate;
    av_channel_layout_default(&encoder->ch_layout, channels);
    encoder->bit_rate = (int64_t)kbps * 1000;
    encoder->profile = FF_PROFILE_AAC_LOW;
    encoder->time_base = (AVRational){1, par->sample_rate};
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER; /* the MP4 keeps the stream's setup in its index */
    /* The fast coder takes half the time of the default one for the same rate. */
    av_opt_set(encoder->priv_data, "aac_coder", "fast", 0);
    if (avcodec_open2(encoder, aac, NULL) < 0)
        return Fail(error, errorSize, "cannot open the AAC encoder for", path);
    track->frame->format = AV_SAMPLE_FMT_FLTP;
    track->frame->nb_samples = encoder->frame_size;
    track->frame->sample_rate = encoder->sample_rate;
    if (av_channel_layout_copy(&track->frame->ch_layout, &encoder->ch_layout) < 0 ||
        av_frame_get_buffer(track->frame, 0) < 0)
        return Fail(error, errorSize, "cannot set up the AAC encoder for", path);
    track->timeBase = encoder->time_base;
    return 0;
}

/* Moves samples from the AVI's chunks into `frame` until it is full: 1 when it
 * is, 0 at the end of the sound (the frame then holds the rest), or a
 * negative AVERROR. */
static int FillFrame(SoundTrack *track)
{
    const int channels = track->encoder->ch_layout.nb_channels;
    const int frameSize = track->encoder->frame_size;
    if (av_frame_make_writable(track->frame) < 0)
        return AVERROR(ENOMEM);
    while (track->filled < frameSize) {
        if (track->readOffset >= track->read->size) {
            av_packet_unref(track->read);
            track->readOffset = 0;
            const int ret = av_read_frame(track->fmt, track->read);
            if (ret == AVERROR_EOF)
                return 0;
            if (ret < 0)
                return ret;
            if (track->read->stream_index != track->streamIndex) {
                av_packet_unref(track->read);
                continue;
            }
        }
        const int bytesPerSample = 2 * channels;
        const int available = (track->read->size - track->readOffset) / bytesPerSample;
        if (available <= 0) {
            track->readOffset = track->read->size; /* a torn sample at the chunk's end */
            continue;
        }
        const int take = available < frameSize - track->filled ? available : frameSize - track->filled;
        const uint8_t *in = track->read->data + track->readOffset;
        for (int c = 0; c < channels; ++c) {
            float *plane = (float *)track->frame->extended_data[c] + track->filled;
            for (int s = 0; s < take; ++s) {
                const uint8_t *sample = in + (size_t)(s * channels + c) * 2;
                plane[s] = (float)(int16_t)(sample[0] | sample[1] << 8) / 32768.0f;
            }
        }
        track->filled += take;
        track->readOffset += take * bytesPerSample;
    }
    return 1;
}

int SoundTrackNext(SoundTrack *track, AVPacket *out)
{
    for (;;) {
        int ret = avcodec_receive_packet(track->encoder, out);
        if (ret == 0) {
            out->pts = out->dts = track->samples;
            out->duration = track->encoder->frame_size;
            out->pos = -1;
            track->samples += out->duration;
            return 0;
        }
        if (ret != AVERROR(EAGAIN))
            return ret; /* AVERROR_EOF once the flushed encoder is empty */
        if (track->flushed)
            return AVERROR_EOF;
        ret = FillFrame(track);
        if (ret < 0)
            return ret;
        if (track->filled > 0) {
            track->frame->nb_samples = track->filled;
            track->frame->pts = AV_NOPTS_VALUE;
            track->filled = 0;
            const int sent = avcodec_send_frame(track->encoder, track->frame);
            track->frame->nb_samples = track->encoder->frame_size;
            if (sent < 0)
                return sent;
        }
        if (ret == 0) {
            track->flushed = 1;
            avcodec_send_frame(track->encoder, NULL);
        }
    }
}

void CloseSoundTrack(SoundTrack *track)
{
    avcodec_free_context(&track->encoder);
    av_frame_free(&track->frame);
    av_packet_free(&track->read);
    avformat_close_input(&track->fmt);
    memset(track, 0, sizeof *track);
}
