#ifndef MP4CREATOR_MUX_H
#define MP4CREATOR_MUX_H

#include <stddef.h>

#include <libavformat/avformat.h>

#include "sound_track.h"
#include "track.h"

/* Opens an existing MP4 file whose tracks are to be kept. 0 on success;
 * otherwise fills `error` with a one-line reason. */
int OpenExistingMp4(AVFormatContext **fmt, const char *path, char *error, size_t errorSize);

/* Writes a new MP4 file at `outPath`: every audio and video track of
 * `existing` (may be NULL), copied packet by packet, plus `track` and `sound`
 * (may be NULL), all interleaved by time. 0 on success; otherwise fills `error` with the
 * reason (without the path: `outPath` is only a temporary name). */
int WriteMp4(const char *outPath, AVFormatContext *existing, NewTrack *track, SoundTrack *sound,
             char *error, size_t errorSize);

#endif
