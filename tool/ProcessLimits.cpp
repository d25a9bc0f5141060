// SPDX-License-Identifier: MIT
#include "tool/ProcessLimits.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Descriptors kept free beside the reads: a folder being listed, and what a
// library may open on its own.
constexpr rlim_t kSpareDescriptors = 4;

// A thread's guard page, thread-local storage and bookkeeping beside its stack.
constexpr std::size_t kThreadOverhead = 64 * 1024;

rlim_t OpenDescriptors() {
    DIR *dir = ::opendir("/proc/self/fd");
    if (!dir)
        return 3;
    rlim_t count = 0;
    while (const dirent *entry = ::readdir(dir))
        count += entry->d_name[0] != '.';
    ::closedir(dir);
    return count - 1; // the listing's own
}

rlim_t ReadsForDescriptors(rlim_t wanted) {
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY)
        return wanted;
    // Far from the limit, as usual, there is nothing to count.
    if (files.rlim_cur > wanted + 64)
        return wanted;
    const rlim_t needed = OpenDescriptors() + kSpareDescriptors + wanted;
    if (files.rlim_cur < needed && files.rlim_max > files.rlim_cur) {
        rlimit raised = files;
        raised.rlim_cur = std::min(needed, files.rlim_max);
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            files = raised;
    }
    const rlim_t used = needed - wanted;
    return files.rlim_cur > used ? std::min(wanted, files.rlim_cur - used) : 1;
}

rlim_t ReadsForAddressSpace(rlim_t wanted, std::size_t stack) {
    rlimit space{};
    if (::getrlimit(RLIMIT_AS, &space) != 0 || space.rlim_cur == RLIM_INFINITY)
        return wanted;
    ::mallopt(M_ARENA_MAX, 1);
    unsigned long pages = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    const rlim_t used = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    const rlim_t free = space.rlim_cur > used ? space.rlim_cur - used : 0;
    return std::min<rlim_t>(wanted, free / 2 / (stack + kThreadOverhead));
}

} // namespace

int ReadsWithinLimits(int wanted, std::size_t threadStackSize) {
    const auto asked = static_cast<rlim_t>(std::max(wanted, 1));
    const rlim_t reads = ReadsForAddressSpace(ReadsForDescriptors(asked), threadStackSize);
    return static_cast<int>(std::max<rlim_t>(reads, 1));
}
