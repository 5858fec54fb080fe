#include "avi_index.h"

#include "grow_array.h"

#include <stdlib.h>
#include <string.h>

#define FOURCC(a, b, c, d) ((uint32_t)(a) | ((uint32_t)(b) << 8) | ((uint32_t)(c) << 16) | ((uint32_t)(d) << 24))

/* The streams in the order of their "strl" lists: a chunk id "NNdc" names
 * stream NN. */
enum { kMaxStreams = 100 };
enum StreamUse { kOther, kVideo, kSound };

typedef struct {
    FILE *file;
    int64_t fileSize;
    AviIndex *index;
    enum StreamUse streams[kMaxStreams];
    int streamCount;
    uint32_t pendingType; /* the last strh's fccType, for the strf after it */
} Reader;

static uint32_t Le32(const unsigned char *p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static uint16_t Le16(const unsigned char *p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

static int Push(AviChunkList *list, int64_t offset, uint32_t size)
{
    if (GrowArray((void **)&list->items, &list->capacity, list->count + 1, sizeof *list->items, 1024) != 0)
        return -1;
    list->items[list->count].offset = offset;
    list->items[list->count].size = size;
    ++list->count;
    return 0;
}

/* Reads `size` bytes (at most `max`) of the chunk at the file's position. */
static int ReadBody(Reader *r, unsigned char *body, uint32_t size, uint32_t max)
{
    const uint32_t want = size < max ? size : max;
    memset(body, 0, max);
    return fread(body, 1, want, r->file) == want ? 0 : -1;
}

static void StreamHeader(Reader *r, const unsigned char *body)
{
    const uint32_t type = Le32(body);
    r->pendingType = type;
    if (r->streamCount >= kMaxStreams)
        return;
    AviIndex *index = r->index;
    enum StreamUse use = kOther;
    if (type == FOURCC('v', 'i', 'd', 's') && !index->hasVideo) {
        use = kVideo;
        index->hasVideo = 1;
        index->videoHandler = Le32(body + 4);
        index->scale = Le32(body + 20);
        index->rate = Le32(body + 24);
    } else if (type == FOURCC('a', 'u', 'd', 's') && !index->hasSound) {
        use = kSound;
        index->hasSound = 1;
    }
    r->streams[r->streamCount++] = use;
}

static void StreamFormat(Reader *r, const unsigned char *body)
{
    if (r->streamCount == 0 || r->streamCount > kMaxStreams)
        return;
    AviIndex *index = r->index;
    const enum StreamUse use = r->streams[r->streamCount - 1];
    if (use == kVideo) {
        index->width = (int)Le32(body + 4);
        index->height = abs((int32_t)Le32(body + 8));
        if (Le32(body + 16) != 0)
            index->videoHandler = Le32(body + 16);
    } else if (use == kSound) {
        const uint16_t tag = Le16(body);
        index->channels = Le16(body + 2);
        index->sampleRate = Le32(body + 4);
        index->pcm = tag == 1 && Le16(body + 14) == 16;
    }
}

/* The stream number of a chunk id "NNxx", or -1. */
static int ChunkStream(uint32_t id)
{
    const int a = (int)(id & 0xff) - '0';
    const int b = (int)((id >> 8) & 0xff) - '0';
    if (a < 0 || a > 9 || b < 0 || b > 9)
        return -1;
    return a * 10 + b;
}

/* Walks the chunks from the file's position up to `end`, into lists. */
static int Walk(Reader *r, int64_t end, int inMovi)
{
    unsigned char head[12];
    for (;;) {
        const int64_t at = ftello(r->file);
        if (at < 0 || at + 8 > end || fread(head, 1, 8, r->file) != 8)
            return 0;
        const uint32_t id = Le32(head);
        const uint32_t size = Le32(head + 4);
        const int64_t bodyEnd = at + 8 + (int64_t)size;
        if (id == FOURCC('R', 'I', 'F', 'F') || id == FOURCC('L', 'I', 'S', 'T')) {
            if (size < 4 || fread(head + 8, 1, 4, r->file) != 4)
                return 0;
            const uint32_t kind = Le32(head + 8);
            const int movi = inMovi || kind == FOURCC('m', 'o', 'v', 'i');
            /* A list cut short keeps the chunks it still holds whole. */
            if (Walk(r, bodyEnd < r->fileSize ? bodyEnd : r->fileSize, movi) < 0)
                return -1;
            if (bodyEnd > r->fileSize)
                return 0;
        } else if (bodyEnd > r->fileSize) {
            return 0; /* cut short: what came before is whole */
        } else if (id == FOURCC('s', 't', 'r', 'h') && !inMovi) {
            unsigned char body[56];
            if (ReadBody(r, body, size, sizeof body) < 0)
                return 0;
            StreamHeader(r, body);
        } else if (id == FOURCC('s', 't', 'r', 'f') && !inMovi) {
            unsigned char body[40];
            if (ReadBody(r, body, size, sizeof body) < 0)
                return 0;
            StreamFormat(r, body);
        } else if (inMovi) {
            const int stream = ChunkStream(id);
            const enum StreamUse use = stream >= 0 && stream < r->streamCount ? r->streams[stream] : kOther;
            AviChunkList *list = use == kVideo ? &r->index->frames : use == kSound ? &r->index->sound : NULL;
            const char kind = (char)((id >> 16) & 0xff);
            /* "dc"/"db" pictures, "wb" sound; "pc" (palette changes) and the like are not frames */
            const int data = use == kVideo ? kind == 'd' : use == kSound ? kind == 'w' : 0;
            if (list && data && Push(list, at + 8, size) < 0)
                return -1;
        }
        /* chunks are padded to an even size */
        if (fseeko(r->file, bodyEnd + (size & 1), SEEK_SET) != 0)
            return 0;
    }
}

int ReadAviIndex(FILE *file, AviIndex *index, char *error, size_t errorSize)
{
    memset(index, 0, sizeof *index);
    Reader r;
    memset(&r, 0, sizeof r);
    r.file = file;
    r.index = index;
    unsigned char head[12];
    if (fseeko(file, 0, SEEK_END) != 0 || (r.fileSize = ftello(file)) < 0 || fseeko(file, 0, SEEK_SET) != 0 ||
        fread(head, 1, 12, file) != 12 || Le32(head) != FOURCC('R', 'I', 'F', 'F') ||
        Le32(head + 8) != FOURCC('A', 'V', 'I', ' ')) {
        snprintf(error, errorSize, "not an AVI file");
        return -1;
    }
    if (fseeko(file, 0, SEEK_SET) != 0 || Walk(&r, r.fileSize, 0) < 0) {
        snprintf(error, errorSize, "out of memory");
        return -1;
    }
    return 0;
}

void FreeAviIndex(AviIndex *index)
{
    free(index->frames.items);
    free(index->sound.items);
    memset(index, 0, sizeof *index);
}
