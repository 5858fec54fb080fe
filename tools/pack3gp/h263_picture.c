#include "h263_picture.h"

#include <stdint.h>

/* Bits [at, at + count) of `head`, most significant first. */
static uint32_t Bits(const unsigned char *head, size_t at, size_t count)
{
    uint32_t value = 0;
    for (size_t i = at; i < at + count; ++i)
        value = (value << 1) | ((head[i / 8] >> (7 - i % 8)) & 1);
    return value;
}

int H263PictureType(const unsigned char *head, size_t size)
{
    /* Picture start code (22 bits: sixteen 0s, 1, five 0s), the temporal
     * reference (8 bits), then the type: "1", "0", three flags, the source
     * format (3 bits) and, for the standard formats, the coding type bit. */
    if (size < 6 || Bits(head, 0, 22) != 0x20 || Bits(head, 30, 2) != 2)
        return H263_NOT_A_PICTURE;
    const uint32_t format = Bits(head, 35, 3);
    if (format == 0 || format == 6)
        return H263_NOT_A_PICTURE;
    if (format != 7)
        return Bits(head, 38, 1) ? H263_INTER : H263_INTRA;
    /* The extended type: the update flag (3 bits), with value 1 the optional
     * part (18 bits), then the picture type code (3 bits, 0 for intra). */
    if (size < H263_HEADER_BYTES)
        return H263_NOT_A_PICTURE;
    const uint32_t update = Bits(head, 38, 3);
    const size_t typeAt = update == 1 ? 41 + 18 : 41;
    return Bits(head, typeAt, 3) == 0 ? H263_INTRA : H263_INTER;
}
