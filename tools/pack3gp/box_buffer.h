/* A growing byte buffer for ISO media boxes: big-endian numbers, and boxes
 * whose size is filled in when they are closed. */
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef struct {
    unsigned char *data;
    size_t size;
    size_t capacity;
    int failed; /* a growth failed; everything after it was dropped */
} BoxBuffer;

void Put8(BoxBuffer *b, uint32_t value);
void Put16(BoxBuffer *b, uint32_t value);
void Put32(BoxBuffer *b, uint32_t value);
void PutBytes(BoxBuffer *b, const void *bytes, size_t count);
void PutZeros(BoxBuffer *b, size_t count);
/* Opens a box of four-letter `type`; returns where it starts, for CloseBox. */
size_t OpenBox(BoxBuffer *b, const char *type);
/* A "full box": OpenBox, then the version and flags. */
size_t OpenFullBox(BoxBuffer *b, const char *type, uint32_t version, uint32_t flags);
void CloseBox(BoxBuffer *b, size_t start);
/* Writes `value` over the four bytes at `at` (a count known only later). */
void Patch32(BoxBuffer *b, size_t at, uint32_t value);
void FreeBoxBuffer(BoxBuffer *b);
