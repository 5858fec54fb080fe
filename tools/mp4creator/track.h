#ifndef MP4CREATOR_TRACK_H
#define MP4CREATOR_TRACK_H

#include <stddef.h>

#include <libavformat/avformat.h>

#include "sniff.h"

/* A raw elementary stream read as the new track of an MP4 file. Raw streams
 * carry no usable timestamps, so the track makes its own: video frames are
 * timed by the given rate (one frame per VOP, B-VOPs reordered for display),
 * audio frames by their sample counts. */
typedef struct {
    StreamKind kind;
    AVFormatContext *fmt;
    int streamIndex;
    AVRational timeBase; /* of every timestamp NewTrackNext hands out */
    AVRational frameRate; /* video only */

    /* Video: the reference VOP read last and the B-VOPs that follow it. They
     * get display times once the next reference VOP (or the end) shows up. */
    int delay; /* decode ahead of display: 1 frame when the stream holds B-VOPs */
    int64_t decoded;
    int64_t displayed;
    AVPacket **group;
    size_t groupCount, groupCapacity;
    AVPacket **ready; /* packets with timestamps, in decode order */
    size_t readyHead, readyCount, readyCapacity;

    /* Audio: samples handed out so far. */
    int64_t samples;
} NewTrack;

/* Opens `path` (already known to hold `kind`). `frameRate` times video.
 * 0 on success; otherwise fills `error` with a one-line reason. */
int OpenNewTrack(NewTrack *track, const char *path, StreamKind kind, AVRational frameRate,
                 char *error, size_t errorSize);

/* Next packet of the track with pts, dts and duration in `timeBase`:
 * 0, AVERROR_EOF at the end, another negative AVERROR on a read failure. */
int NewTrackNext(NewTrack *track, AVPacket *out);

void CloseNewTrack(NewTrack *track);

/* 1 when the raw MPEG-4 video file holds a B-VOP, 0 when not, -1 on a read error. */
int FileHasBVops(const char *path);

/* "file:" + path, so that libavformat opens exactly these bytes as a local
 * file whatever they contain (a colon would otherwise name a protocol). */
char *FileUrl(const char *path);

#endif
