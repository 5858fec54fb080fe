#include "box_buffer.h"

#include <stdlib.h>
#include <string.h>

static unsigned char *Grow(BoxBuffer *b, size_t count)
{
    if (b->failed)
        return NULL;
    if (b->size + count > b->capacity) {
        size_t capacity = b->capacity ? b->capacity : 4096;
        while (capacity < b->size + count)
            capacity *= 2;
        unsigned char *data = realloc(b->data, capacity);
        if (!data) {
            b->failed = 1;
            return NULL;
        }
        b->data = data;
        b->capacity = capacity;
    }
    unsigned char *at = b->data + b->size;
    b->size += count;
    return at;
}

void PutBytes(BoxBuffer *b, const void *bytes, size_t count)
{
    unsigned char *at = Grow(b, count);
    if (at)
        memcpy(at, bytes, count);
}

void PutZeros(BoxBuffer *b, size_t count)
{
    unsigned char *at = Grow(b, count);
    if (at)
        memset(at, 0, count);
}

void Put8(BoxBuffer *b, uint32_t value)
{
    const unsigned char byte = (unsigned char)value;
    PutBytes(b, &byte, 1);
}

void Put16(BoxBuffer *b, uint32_t value)
{
    const unsigned char bytes[2] = {(unsigned char)(value >> 8), (unsigned char)value};
    PutBytes(b, bytes, 2);
}

void Put32(BoxBuffer *b, uint32_t value)
{
    const unsigned char bytes[4] = {(unsigned char)(value >> 24), (unsigned char)(value >> 16),
                                    (unsigned char)(value >> 8), (unsigned char)value};
    PutBytes(b, bytes, 4);
}

size_t OpenBox(BoxBuffer *b, const char *type)
{
    const size_t start = b->size;
    Put32(b, 0);
    PutBytes(b, type, 4);
    return start;
}

size_t OpenFullBox(BoxBuffer *b, const char *type, uint32_t version, uint32_t flags)
{
    const size_t start = OpenBox(b, type);
    Put32(b, (version << 24) | (flags & 0xffffff));
    return start;
}

void Patch32(BoxBuffer *b, size_t at, uint32_t value)
{
    if (b->failed)
        return;
    b->data[at] = (unsigned char)(value >> 24);
    b->data[at + 1] = (unsigned char)(value >> 16);
    b->data[at + 2] = (unsigned char)(value >> 8);
    b->data[at + 3] = (unsigned char)value;
}

void CloseBox(BoxBuffer *b, size_t start)
{
    Patch32(b, start, (uint32_t)(b->size - start));
}

void FreeBoxBuffer(BoxBuffer *b)
{
    free(b->data);
    memset(b, 0, sizeof *b);
}
