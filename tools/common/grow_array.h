/* Room for a growing array of the packers: doubled as it fills. */
#pragma once

#include <stddef.h>

/* Makes room for at least `needed` items of `itemSize` bytes in *items (of
 * *capacity items now): doubles the capacity (starting at `firstCapacity`)
 * until it holds them. Returns 0, or -1 when memory runs out (*items and
 * *capacity then unchanged). */
int GrowArray(void **items, size_t *capacity, size_t needed, size_t itemSize, size_t firstCapacity);
