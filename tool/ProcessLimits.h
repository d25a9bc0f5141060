// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

// How many reads tavo-identify may keep in flight, at most `wanted`, within
// what the process may have: each read holds a descriptor, so the soft limit
// of open files is raised towards the hard one where it is too low, and the
// reads stay below what is left of it; each thread's stack of
// `threadStackSize` takes address space, so under a limit of it threads take
// at most half of what is free, and the heap keeps to one arena (glibc
// reserves 64 MiB of address space for every further one). Never less than 1.
int ReadsWithinLimits(int wanted, std::size_t threadStackSize);
