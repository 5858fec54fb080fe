#ifndef MP4CREATOR_LIST_H
#define MP4CREATOR_LIST_H

#include <stdio.h>

/* Prints what the media file at `path` holds, as one JSON object: "format"
 * (format_name, duration, size, bit_rate, as texts) and "streams" (per audio
 * or video stream: codec_type, codec_name, profile, level, width, height,
 * avg_frame_rate, sample_rate, channels). 0 on success; otherwise fills
 * `error` with a one-line reason and prints nothing. */
int ListMedia(FILE *out, const char *path, char *error, size_t errorSize);

#endif
