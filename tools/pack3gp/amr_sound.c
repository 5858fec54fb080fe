#include "amr_sound.h"

#include "grow_array.h"
#include "progress.h"

#include <opencore-amrnb/interf_enc.h>
#include <stdlib.h>
#include <string.h>

/* The largest AMR-NB frame in storage form: a header byte and 31 bytes of 12.2 kbit/s speech. */
enum { kMaxFrameBytes = 32 };

typedef struct {
    void *encoder;
    AmrSound *sound;
    size_t byteCapacity, frameCapacity;
    short pending[kAmrFrameSamples];
    uint32_t pendingCount;
    uint64_t samplesDone;
} Compressor;

static int EncodeFrame(Compressor *c, uint32_t realSamples)
{
    AmrSound *s = c->sound;
    if (GrowArray((void **)&s->bytes, &c->byteCapacity, s->byteCount + kMaxFrameBytes, 1, 64 * 1024) != 0 ||
        GrowArray((void **)&s->sizes, &c->frameCapacity, s->frameCount + 1, sizeof *s->sizes, 2048) != 0)
        return -1;
    unsigned char frame[64];
    const int size = Encoder_Interface_Encode(c->encoder, MR122, c->pending, frame, 0);
    if (size <= 0 || size > kMaxFrameBytes)
        return -1;
    memcpy(s->bytes + s->byteCount, frame, (size_t)size);
    s->byteCount += (size_t)size;
    s->sizes[s->frameCount++] = (uint16_t)size;
    s->lastFrameSamples = realSamples;
    c->samplesDone += realSamples;
    ReportProgress((double)c->samplesDone / kAmrRate);
    c->pendingCount = 0;
    return 0;
}

/* Mixes `frames` interleaved frames of `channels` samples into the pending frame. */
static int Feed(Compressor *c, const unsigned char *pcm, size_t frames, int channels)
{
    for (size_t i = 0; i < frames; ++i) {
        int32_t sum = 0;
        for (int ch = 0; ch < channels; ++ch) {
            const unsigned char *p = pcm + (i * (size_t)channels + (size_t)ch) * 2;
            sum += (int16_t)(p[0] | (p[1] << 8));
        }
        c->pending[c->pendingCount++] = (short)(sum / channels);
        if (c->pendingCount == kAmrFrameSamples && EncodeFrame(c, kAmrFrameSamples) < 0)
            return -1;
    }
    return 0;
}

int CompressSound(FILE *avi, const AviIndex *index, AmrSound *sound, char *error, size_t errorSize)
{
    memset(sound, 0, sizeof *sound);
    if (!index->pcm || index->channels < 1 || index->channels > 8 || index->sampleRate != kAmrRate) {
        snprintf(error, errorSize, "the sound is not 16-bit PCM at %d Hz (%u Hz, %d channels)", kAmrRate,
                 index->sampleRate, index->channels);
        return -1;
    }
    Compressor c;
    memset(&c, 0, sizeof c);
    c.sound = sound;
    c.encoder = Encoder_Interface_init(0);
    if (!c.encoder) {
        snprintf(error, errorSize, "cannot open the AMR-NB encoder");
        return -1;
    }
    const size_t frameBytes = (size_t)index->channels * 2;
    unsigned char *buffer = NULL;
    size_t bufferSize = 0;
    int status = 0;
    for (size_t i = 0; i < index->sound.count && status == 0; ++i) {
        const AviChunk *chunk = &index->sound.items[i];
        if (chunk->size > bufferSize) {
            unsigned char *grown = realloc(buffer, chunk->size);
            if (!grown) {
                snprintf(error, errorSize, "out of memory");
                status = -1;
                break;
            }
            buffer = grown;
            bufferSize = chunk->size;
        }
        if (fseeko(avi, chunk->offset, SEEK_SET) != 0 || fread(buffer, 1, chunk->size, avi) != chunk->size) {
            snprintf(error, errorSize, "cannot read the sound");
            status = -1;
        } else if (Feed(&c, buffer, chunk->size / frameBytes, index->channels) < 0) {
            snprintf(error, errorSize, "cannot compress the sound");
            status = -1;
        }
    }
    if (status == 0 && c.pendingCount > 0) {
        const uint32_t real = c.pendingCount;
        memset(c.pending + real, 0, (kAmrFrameSamples - real) * sizeof c.pending[0]);
        if (EncodeFrame(&c, real) < 0) {
            snprintf(error, errorSize, "cannot compress the sound");
            status = -1;
        }
    }
    free(buffer);
    Encoder_Interface_exit(c.encoder);
    if (status < 0)
        FreeAmrSound(sound);
    return status;
}

void FreeAmrSound(AmrSound *sound)
{
    free(sound->bytes);
    free(sound->sizes);
    memset(sound, 0, sizeof *sound);
}
