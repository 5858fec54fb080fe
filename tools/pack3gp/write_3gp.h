/* Writes a 3GP file: the AVI's H.263 pictures as they are, the AMR-NB
 * sound, and the index (moov) before the media data, so that a player can
 * start on a file it has only partly received. */
#pragma once

#include <stdio.h>

#include "amr_sound.h"
#include "avi_index.h"

/* `sound` may hold no frames (a file without sound). Returns 0, or -1 with
 * `error` telling why (errno kept for a failed write). */
int Write3gp(FILE *avi, const AviIndex *index, const AmrSound *sound, FILE *out, char *error, size_t errorSize);
