#ifndef MP4CREATOR_SNIFF_H
#define MP4CREATOR_SNIFF_H

#include <stddef.h>

/* What an input file holds, told from its first bytes (never from its name). */
typedef enum {
    STREAM_UNKNOWN = 0,
    STREAM_MPEG4_VIDEO, /* raw MPEG-4 Part 2 elementary stream */
    STREAM_AVI,         /* an AVI file, whose MPEG-4 Part 2 video is taken */
    STREAM_ADTS_AAC,    /* AAC in ADTS frames */
    STREAM_MPEG_AUDIO   /* MPEG-1/2 Layer I, II or III frames */
} StreamKind;

/* 1 for the kinds that make a video track. */
int IsVideoKind(StreamKind kind);

/* How many leading bytes DetectStreamKind wants to see. */
#define SNIFF_WINDOW (64 * 1024)

/* Looks at the first `size` bytes of a file (up to SNIFF_WINDOW). */
StreamKind DetectStreamKind(const unsigned char *data, size_t size);

/* Size of an ID3v2 tag at the start of `data` (0 when there is none). */
size_t Id3v2TagSize(const unsigned char *data, size_t size);

/* Coding type of the first VOP (00 00 01 B6) in `data`: 0 = I, 1 = P, 2 = B,
 * 3 = S; -1 when the data holds no complete VOP header. */
int FirstVopType(const unsigned char *data, size_t size);

#endif
