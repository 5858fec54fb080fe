/* Tells an H.263 picture's coding type from its header. */
#pragma once

#include <stddef.h>

enum { H263_HEADER_BYTES = 8 };
enum { H263_NOT_A_PICTURE = -1, H263_INTRA = 0, H263_INTER = 1 };

/* `head`: the first `size` (at most H263_HEADER_BYTES) bytes of a frame. */
int H263PictureType(const unsigned char *head, size_t size);
