#ifndef MP4CREATOR_SOUND_TRACK_H
#define MP4CREATOR_SOUND_TRACK_H

#include <stddef.h>

#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>

/* The 16-bit PCM sound of an AVI file, compressed to AAC-LC as a new track.
 * Packets are timed by their sample counts from 0, as a raw AAC stream's are:
 * the encoder's priming samples stay at the front, so sound and picture keep
 * the offsets they had when the sound was compressed by a separate tool. */
typedef struct {
    AVFormatContext *fmt;
    int streamIndex;
    AVCodecContext *encoder;
    AVFrame *frame;     /* the samples gathered for the next encoder frame */
    int filled;         /* samples in `frame` */
    int flushed;        /* the encoder has been told the sound ended */
    AVPacket *read;     /* the AVI chunk being taken apart */
    int readOffset;     /* bytes of `read` already used */
    int64_t samples;    /* samples handed out so far, in packets */
    AVRational timeBase;
} SoundTrack;

/* 1 when the AVI at `path` has a sound stream, 0 when not, -1 when it cannot be read. */
int AviHasSound(const char *path);

/* Opens the sound of the AVI at `path` for compression at `kbps` kbit/s. 0 on
 * success; otherwise fills `error` with a one-line reason. */
int OpenSoundTrack(SoundTrack *track, const char *path, int kbps, char *error, size_t errorSize);

/* The next AAC packet, pts and dts in `timeBase`: 0, AVERROR_EOF at the
 * end, another negative AVERROR on a failure. */
int SoundTrackNext(SoundTrack *track, AVPacket *out);

void CloseSoundTrack(SoundTrack *track);

#endif
