/* What pack3gp takes from an AVI: where each video frame and each piece of
 * PCM sound lies in the file, and the streams' formats. */
#pragma once

#include <stdint.h>
#include <stdio.h>

typedef struct {
    int64_t offset; /* of the data, past the chunk header */
    uint32_t size;
} AviChunk;

typedef struct {
    AviChunk *items;
    size_t count;
    size_t capacity;
} AviChunkList;

typedef struct {
    int hasVideo;
    uint32_t videoHandler; /* strh fccHandler, or the BITMAPINFOHEADER's compression */
    int width, height;
    uint32_t rate, scale; /* frames per second = rate / scale */
    AviChunkList frames;  /* one chunk per frame, empty chunks included */

    int hasSound;
    int pcm; /* 16-bit PCM */
    int channels;
    uint32_t sampleRate;
    AviChunkList sound;
} AviIndex;

/* Reads the stream headers and every video and sound chunk of `file` (all
 * RIFF parts, "rec " lists included). A file cut short keeps the chunks that
 * are whole. Returns 0, or -1 with `error` telling why. */
int ReadAviIndex(FILE *file, AviIndex *index, char *error, size_t errorSize);

void FreeAviIndex(AviIndex *index);
