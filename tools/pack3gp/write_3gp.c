#include "write_3gp.h"

#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "box_buffer.h"
#include "h263_picture.h"

enum { kMovieTimescale = 1000, kVideoTrack = 1, kSoundTrack = 2 };
/* The media data is laid out in runs of about a second, sound beside picture. */
enum { kChunkMs = 1000 };

typedef struct {
    uint32_t timescale;
    size_t count;
    uint32_t *sizes;
    uint32_t *durations;
    unsigned char *key; /* NULL: every sample is a key frame */
    int64_t *sources;   /* video: where the sample lies in the AVI; sound: offset in the AMR bytes */
    uint64_t duration;
} Track;

typedef struct {
    int track; /* kVideoTrack or kSoundTrack */
    size_t first, count;
    uint64_t offset; /* in the output file */
} Chunk;

typedef struct {
    Chunk *items;
    size_t count;
} ChunkList;

static void FreeTrack(Track *t)
{
    free(t->sizes);
    free(t->durations);
    free(t->key);
    free(t->sources);
    memset(t, 0, sizeof *t);
}

static int AllocTrack(Track *t, size_t count, int withKeys)
{
    t->sizes = calloc(count ? count : 1, sizeof *t->sizes);
    t->durations = calloc(count ? count : 1, sizeof *t->durations);
    t->sources = calloc(count ? count : 1, sizeof *t->sources);
    t->key = withKeys ? calloc(count ? count : 1, 1) : NULL;
    return t->sizes && t->durations && t->sources && (!withKeys || t->key) ? 0 : -1;
}

/* The pictures: one sample per frame the encoder wrote; an empty chunk (a
 * frame it left out) lengthens the picture before it. */
static int VideoTrack(FILE *avi, const AviIndex *index, Track *t, char *error, size_t errorSize)
{
    if (index->rate == 0 || index->scale == 0) {
        snprintf(error, errorSize, "the video has no frame rate");
        return -1;
    }
    /* A fine enough clock for whole durations at any rate: rate x k ticks a second. */
    const uint64_t k = index->rate >= 10000 ? 1 : (10000 + index->rate - 1) / index->rate;
    if (index->rate * k > UINT32_MAX || index->scale * k > UINT32_MAX) {
        snprintf(error, errorSize, "the video's frame rate is out of range");
        return -1;
    }
    t->timescale = (uint32_t)(index->rate * k);
    const uint32_t delta = (uint32_t)(index->scale * k);
    if (AllocTrack(t, index->frames.count, 1) < 0) {
        snprintf(error, errorSize, "out of memory");
        return -1;
    }
    uint32_t leading = 0;
    for (size_t i = 0; i < index->frames.count; ++i) {
        const AviChunk *frame = &index->frames.items[i];
        if (frame->size == 0) {
            if (t->count > 0)
                t->durations[t->count - 1] += delta;
            else
                leading += delta;
            t->duration += delta;
            continue;
        }
        unsigned char head[H263_HEADER_BYTES];
        memset(head, 0, sizeof head);
        const size_t want = frame->size < sizeof head ? frame->size : sizeof head;
        if (fseeko(avi, frame->offset, SEEK_SET) != 0 || fread(head, 1, want, avi) != want) {
            snprintf(error, errorSize, "cannot read the video");
            return -1;
        }
        const int type = H263PictureType(head, want);
        if (type == H263_NOT_A_PICTURE) {
            snprintf(error, errorSize, "frame %zu is not an H.263 picture", i + 1);
            return -1;
        }
        if (t->count == 0 && type != H263_INTRA) {
            snprintf(error, errorSize, "the video does not start with a key frame");
            return -1;
        }
        t->sizes[t->count] = frame->size;
        t->sources[t->count] = frame->offset;
        t->durations[t->count] = delta + (t->count == 0 ? leading : 0);
        t->key[t->count] = type == H263_INTRA;
        ++t->count;
        t->duration += delta;
    }
    if (t->count == 0) {
        snprintf(error, errorSize, "the video has no pictures");
        return -1;
    }
    return 0;
}

static int SoundTrack(const AmrSound *sound, Track *t, char *error, size_t errorSize)
{
    t->timescale = kAmrRate;
    if (AllocTrack(t, sound->frameCount, 0) < 0) {
        snprintf(error, errorSize, "out of memory");
        return -1;
    }
    int64_t at = 0;
    for (size_t i = 0; i < sound->frameCount; ++i) {
        t->sizes[i] = sound->sizes[i];
        t->sources[i] = at;
        at += sound->sizes[i];
        t->durations[i] = i + 1 == sound->frameCount ? sound->lastFrameSamples : kAmrFrameSamples;
        t->duration += t->durations[i];
    }
    t->count = sound->frameCount;
    return 0;
}

/* Runs of about a second, picture then sound, in time order. */
static int LayOutChunks(const Track *video, const Track *sound, ChunkList *chunks)
{
    const size_t most = (size_t)(video->duration / video->timescale + sound->duration / kAmrRate + 4) * 2;
    chunks->items = calloc(most, sizeof *chunks->items);
    if (!chunks->items)
        return -1;
    size_t next[3] = {0, 0, 0};
    uint64_t ends[3] = {0, 0, 0}; /* in the track's ticks */
    const Track *tracks[3] = {NULL, video, sound};
    for (uint64_t window = 1; next[kVideoTrack] < video->count || next[kSoundTrack] < sound->count; ++window) {
        for (int id = kVideoTrack; id <= kSoundTrack; ++id) {
            const Track *t = tracks[id];
            const uint64_t limit = window * kChunkMs * t->timescale / 1000;
            const size_t first = next[id];
            while (next[id] < t->count && ends[id] < limit)
                ends[id] += t->durations[next[id]++];
            if (next[id] > first) {
                if (chunks->count == most)
                    return -1;
                chunks->items[chunks->count++] = (Chunk){id, first, next[id] - first, 0};
            }
        }
    }
    return 0;
}

static void PutMatrix(BoxBuffer *b)
{
    static const uint32_t kUnity[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (int i = 0; i < 9; ++i)
        Put32(b, kUnity[i]);
}

static uint32_t MovieTicks(const Track *t)
{
    return (uint32_t)((t->duration * kMovieTimescale + t->timescale / 2) / t->timescale);
}

/* Whether the picture is one of the H.263 picture formats (sub-QCIF, QCIF,
 * CIF, 4CIF, 16CIF), whose pixels are 12:11: a player shows 176x144 as 4:3. */
static int HasH263FormatPixels(const AviIndex *index)
{
    static const int kFormats[][2] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
    for (size_t i = 0; i < sizeof kFormats / sizeof kFormats[0]; ++i) {
        if (index->width == kFormats[i][0] && index->height == kFormats[i][1])
            return 1;
    }
    return 0;
}

/* The width the picture is shown at, in 16.16 fixed point. */
static uint32_t ShownWidth(const AviIndex *index)
{
    const uint64_t stored = (uint64_t)index->width << 16;
    return (uint32_t)(HasH263FormatPixels(index) ? (stored * 12 + 5) / 11 : stored);
}

static void PutSampleEntry(BoxBuffer *b, int id, const AviIndex *index)
{
    if (id == kVideoTrack) {
        const size_t entry = OpenBox(b, "s263");
        PutZeros(b, 6);
        Put16(b, 1); /* data reference */
        PutZeros(b, 16);
        Put16(b, (uint32_t)index->width);
        Put16(b, (uint32_t)index->height);
        Put32(b, 0x00480000); /* 72 dpi */
        Put32(b, 0x00480000);
        Put32(b, 0);
        Put16(b, 1); /* one frame per sample */
        PutZeros(b, 32);
        Put16(b, 0x18); /* colour */
        Put16(b, 0xffff);
        const size_t d263 = OpenBox(b, "d263");
        PutBytes(b, "Q9PL", 4);
        Put8(b, 0);  /* decoder version */
        Put8(b, 10); /* level 10 */
        Put8(b, 0);  /* baseline profile */
        CloseBox(b, d263);
        /* the pixels' shape, as the picture's format has it */
        if (HasH263FormatPixels(index)) {
            const size_t pasp = OpenBox(b, "pasp");
            Put32(b, 12);
            Put32(b, 11);
            CloseBox(b, pasp);
        }
        CloseBox(b, entry);
    } else {
        const size_t entry = OpenBox(b, "samr");
        PutZeros(b, 6);
        Put16(b, 1);
        PutZeros(b, 8);
        Put16(b, 2);  /* channel count and sample size: fixed values for AMR */
        Put16(b, 16);
        Put32(b, 0);
        Put32(b, (uint32_t)kAmrRate << 16);
        const size_t damr = OpenBox(b, "damr");
        PutBytes(b, "Q9PL", 4);
        Put8(b, 0);
        Put16(b, 0x81ff); /* every mode may occur */
        Put8(b, 0);
        Put8(b, 1); /* one frame per sample */
        CloseBox(b, damr);
        CloseBox(b, entry);
    }
}

static void PutSampleTable(BoxBuffer *b, int id, const Track *t, const ChunkList *chunks, const AviIndex *index)
{
    const size_t stbl = OpenBox(b, "stbl");
    size_t box = OpenFullBox(b, "stsd", 0, 0);
    Put32(b, 1);
    PutSampleEntry(b, id, index);
    CloseBox(b, box);

    /* durations, in runs */
    box = OpenFullBox(b, "stts", 0, 0);
    const size_t countAt = b->size;
    Put32(b, 0);
    uint32_t runs = 0;
    for (size_t i = 0; i < t->count;) {
        size_t j = i;
        while (j < t->count && t->durations[j] == t->durations[i])
            ++j;
        Put32(b, (uint32_t)(j - i));
        Put32(b, t->durations[i]);
        ++runs;
        i = j;
    }
    Patch32(b, countAt, runs);
    CloseBox(b, box);

    if (t->key) {
        uint32_t keys = 0;
        for (size_t i = 0; i < t->count; ++i)
            keys += t->key[i];
        if (keys < t->count) {
            box = OpenFullBox(b, "stss", 0, 0);
            Put32(b, keys);
            for (size_t i = 0; i < t->count; ++i) {
                if (t->key[i])
                    Put32(b, (uint32_t)(i + 1));
            }
            CloseBox(b, box);
        }
    }

    /* samples per chunk, in runs of equal counts */
    box = OpenFullBox(b, "stsc", 0, 0);
    const size_t runsAt = b->size;
    Put32(b, 0);
    uint32_t stscRuns = 0, number = 0;
    size_t last = 0;
    for (size_t i = 0; i < chunks->count; ++i) {
        if (chunks->items[i].track != id)
            continue;
        ++number;
        if (stscRuns == 0 || chunks->items[i].count != last) {
            Put32(b, number);
            Put32(b, (uint32_t)chunks->items[i].count);
            Put32(b, 1);
            ++stscRuns;
            last = chunks->items[i].count;
        }
    }
    Patch32(b, runsAt, stscRuns);
    CloseBox(b, box);

    box = OpenFullBox(b, "stsz", 0, 0);
    int same = t->count > 0;
    for (size_t i = 1; i < t->count && same; ++i)
        same = t->sizes[i] == t->sizes[0];
    Put32(b, same ? t->sizes[0] : 0);
    Put32(b, (uint32_t)t->count);
    for (size_t i = 0; i < t->count && !same; ++i)
        Put32(b, t->sizes[i]);
    CloseBox(b, box);

    box = OpenFullBox(b, "stco", 0, 0);
    Put32(b, number);
    for (size_t i = 0; i < chunks->count; ++i) {
        if (chunks->items[i].track == id)
            Put32(b, (uint32_t)chunks->items[i].offset);
    }
    CloseBox(b, box);
    CloseBox(b, stbl);
}

static void PutTrack(BoxBuffer *b, int id, const Track *t, const ChunkList *chunks, const AviIndex *index)
{
    const int video = id == kVideoTrack;
    const size_t trak = OpenBox(b, "trak");
    size_t box = OpenFullBox(b, "tkhd", 0, 3); /* enabled, in the movie */
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, (uint32_t)id);
    Put32(b, 0);
    Put32(b, MovieTicks(t));
    PutZeros(b, 8);
    Put16(b, 0); /* layer */
    Put16(b, 0); /* alternate group */
    Put16(b, video ? 0 : 0x0100);
    Put16(b, 0);
    PutMatrix(b);
    Put32(b, video ? ShownWidth(index) : 0);
    Put32(b, video ? (uint32_t)index->height << 16 : 0);
    CloseBox(b, box);

    const size_t mdia = OpenBox(b, "mdia");
    box = OpenFullBox(b, "mdhd", 0, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, t->timescale);
    Put32(b, (uint32_t)t->duration);
    Put16(b, 0x55c4); /* "und" */
    Put16(b, 0);
    CloseBox(b, box);
    box = OpenFullBox(b, "hdlr", 0, 0);
    Put32(b, 0);
    PutBytes(b, video ? "vide" : "soun", 4);
    PutZeros(b, 12);
    const char *name = video ? "VideoHandler" : "SoundHandler";
    PutBytes(b, name, strlen(name) + 1);
    CloseBox(b, box);

    const size_t minf = OpenBox(b, "minf");
    if (video) {
        box = OpenFullBox(b, "vmhd", 0, 1);
        PutZeros(b, 8);
    } else {
        box = OpenFullBox(b, "smhd", 0, 0);
        PutZeros(b, 4);
    }
    CloseBox(b, box);
    const size_t dinf = OpenBox(b, "dinf");
    box = OpenFullBox(b, "dref", 0, 0);
    Put32(b, 1);
    CloseBox(b, OpenFullBox(b, "url ", 0, 1)); /* the data is in this file */
    CloseBox(b, box);
    CloseBox(b, dinf);
    PutSampleTable(b, id, t, chunks, index);
    CloseBox(b, minf);
    CloseBox(b, mdia);
    CloseBox(b, trak);
}

static void PutMovie(BoxBuffer *b, const Track *video, const Track *sound, const ChunkList *chunks,
                     const AviIndex *index)
{
    const size_t moov = OpenBox(b, "moov");
    const size_t mvhd = OpenFullBox(b, "mvhd", 0, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, kMovieTimescale);
    const uint32_t videoTicks = MovieTicks(video), soundTicks = MovieTicks(sound);
    Put32(b, videoTicks > soundTicks ? videoTicks : soundTicks);
    Put32(b, 0x00010000); /* rate 1.0 */
    Put16(b, 0x0100);     /* volume 1.0 */
    PutZeros(b, 10);
    PutMatrix(b);
    PutZeros(b, 24);
    Put32(b, sound->count ? 3 : 2); /* next track id */
    CloseBox(b, mvhd);
    PutTrack(b, kVideoTrack, video, chunks, index);
    if (sound->count)
        PutTrack(b, kSoundTrack, sound, chunks, index);
    CloseBox(b, moov);
}

static uint64_t ChunkBytes(const Chunk *c, const Track *t)
{
    uint64_t bytes = 0;
    for (size_t i = c->first; i < c->first + c->count; ++i)
        bytes += t->sizes[i];
    return bytes;
}

static int CopyMedia(FILE *avi, const AmrSound *amr, const Track *video, const Track *sound, const ChunkList *chunks,
                     FILE *out, char *error, size_t errorSize)
{
    unsigned char *buffer = NULL;
    size_t bufferSize = 0;
    int status = 0;
    for (size_t c = 0; c < chunks->count && status == 0; ++c) {
        const Chunk *chunk = &chunks->items[c];
        const Track *t = chunk->track == kVideoTrack ? video : sound;
        for (size_t i = chunk->first; i < chunk->first + chunk->count && status == 0; ++i) {
            if (chunk->track == kSoundTrack) {
                if (fwrite(amr->bytes + t->sources[i], 1, t->sizes[i], out) != t->sizes[i])
                    status = -1;
                continue;
            }
            if (t->sizes[i] > bufferSize) {
                unsigned char *grown = realloc(buffer, t->sizes[i]);
                if (!grown) {
                    snprintf(error, errorSize, "out of memory");
                    free(buffer);
                    return -1;
                }
                buffer = grown;
                bufferSize = t->sizes[i];
            }
            if (fseeko(avi, t->sources[i], SEEK_SET) != 0 || fread(buffer, 1, t->sizes[i], avi) != t->sizes[i]) {
                snprintf(error, errorSize, "cannot read the video");
                free(buffer);
                return -1;
            }
            if (fwrite(buffer, 1, t->sizes[i], out) != t->sizes[i])
                status = -1;
        }
    }
    free(buffer);
    if (status < 0)
        snprintf(error, errorSize, "cannot write: %s", strerror(errno));
    return status;
}

int Write3gp(FILE *avi, const AviIndex *index, const AmrSound *amr, FILE *out, char *error, size_t errorSize)
{
    Track video, sound;
    memset(&video, 0, sizeof video);
    memset(&sound, 0, sizeof sound);
    ChunkList chunks = {NULL, 0};
    BoxBuffer head = {NULL, 0, 0, 0};
    int status = -1;
    if (VideoTrack(avi, index, &video, error, errorSize) < 0 || SoundTrack(amr, &sound, error, errorSize) < 0)
        goto done;
    if (LayOutChunks(&video, &sound, &chunks) < 0) {
        snprintf(error, errorSize, "out of memory");
        goto done;
    }
    /* The file type, then the index, then the media: the index's size does
     * not depend on the offsets it holds, so it is laid out once to learn
     * where the media begins and again with the offsets. */
    uint64_t end = 0; /* of the file */
    for (int pass = 0; pass < 2; ++pass) {
        head.size = 0;
        const size_t ftyp = OpenBox(&head, "ftyp");
        PutBytes(&head, "3gp4", 4);
        Put32(&head, 0x200);
        PutBytes(&head, "3gp4isomiso2", 12);
        CloseBox(&head, ftyp);
        PutMovie(&head, &video, &sound, &chunks, index);
        end = head.size + 8; /* past the mdat header */
        for (size_t c = 0; c < chunks.count; ++c) {
            chunks.items[c].offset = end;
            end += ChunkBytes(&chunks.items[c], chunks.items[c].track == kVideoTrack ? &video : &sound);
        }
        if (end > UINT32_MAX) {
            snprintf(error, errorSize, "too large for a 3GP file");
            goto done;
        }
    }
    if (head.failed) {
        snprintf(error, errorSize, "out of memory");
        goto done;
    }
    const uint64_t media = end - head.size;
    const unsigned char mdat[8] = {(unsigned char)(media >> 24), (unsigned char)(media >> 16),
                                   (unsigned char)(media >> 8), (unsigned char)media, 'm', 'd', 'a', 't'};
    if (fwrite(head.data, 1, head.size, out) != head.size || fwrite(mdat, 1, 8, out) != 8) {
        snprintf(error, errorSize, "cannot write: %s", strerror(errno));
        goto done;
    }
    status = CopyMedia(avi, amr, &video, &sound, &chunks, out, error, errorSize);
done:
    FreeBoxBuffer(&head);
    free(chunks.items);
    FreeTrack(&video);
    FreeTrack(&sound);
    return status;
}
