#include "engine/convert_progress.h"

#include <cstring>

bool ParseConvertOutput(const char *chunk, int *percent)
{
    const char *const mark = std::strstr(chunk, "%)");
    if (!mark)
        return false;
    const char *first = mark;
    while (first > chunk && mark - first < 3 && first[-1] >= '0' && first[-1] <= '9')
        --first;
    if (first == mark)
        return false;
    int value = 0;
    for (const char *digit = first; digit < mark; ++digit)
        value = value * 10 + (*digit - '0');
    if (value > 100)
        return false;
    *percent = value;
    return true;
}
