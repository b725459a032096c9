// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <malloc.h>

// A run over tens of thousands of files builds several lists of that size. Kept in the heap and
// reused, instead of fresh pages mapped for each and returned after, they cost no page faults
// the next time.
inline void keepLargeAllocationsInHeap()
{
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
}
