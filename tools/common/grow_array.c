#include "grow_array.h"

#include <stdint.h>
#include <stdlib.h>

int GrowArray(void **items, size_t *capacity, size_t needed, size_t itemSize, size_t firstCapacity)
{
    if (needed <= *capacity)
        return 0;
    size_t grown = *capacity ? *capacity : firstCapacity;
    while (grown < needed) {
        if (grown > SIZE_MAX / 2)
            return -1;
        grown *= 2;
    }
    if (grown > SIZE_MAX / itemSize)
        return -1;
    void *moved = realloc(*items, grown * itemSize);
    if (!moved)
        return -1;
    *items = moved;
    *capacity = grown;
    return 0;
}
