/* The AVI's PCM sound compressed to AMR-NB, one frame per 20 ms. */
#pragma once

#include <stdint.h>
#include <stdio.h>

#include "avi_index.h"

/* AMR-NB codes 8000 samples a second, 160 to a frame. */
enum { kAmrRate = 8000, kAmrFrameSamples = 160 };

typedef struct {
    unsigned char *bytes; /* the frames one after another, each with its header byte */
    size_t byteCount;
    uint16_t *sizes; /* bytes of each frame */
    size_t frameCount;
    uint32_t lastFrameSamples; /* real samples in the last frame (the rest is silence) */
} AmrSound;

/* Compresses the 16-bit PCM chunks of `index` (8000 Hz; all channels mixed to
 * one) at 12.2 kbit/s. Reports the sound's time done (ReportProgress), so that
 * whoever watches the run sees it move. Returns 0, or -1 with `error`. */
int CompressSound(FILE *avi, const AviIndex *index, AmrSound *sound, char *error, size_t errorSize);

void FreeAmrSound(AmrSound *sound);
