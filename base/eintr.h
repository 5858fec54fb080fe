#pragma once

#include <cerrno>

// Calls `call` again for as long as it fails with EINTR (a signal arrived
// before it could do anything) and returns its last result. For system calls
// that report failure as -1 with errno set; each caller keeps its own test of
// success. Safe between fork and exec: it allocates nothing.
template <typename Call> auto RetryOnEintr(Call call) -> decltype(call())
{
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}
