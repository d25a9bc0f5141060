// SPDX-License-Identifier: MIT
// Drops the page cache of every file named on standard input, one per line
// (posix_fadvise POSIX_FADV_DONTNEED; no root needed), so that the next read
// of them comes from the disk: the cold-cache runs of identify_bench.sh.

#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>

int main() {
    std::ios::sync_with_stdio(false);
    std::string path;
    int failed = 0;
    while (std::getline(std::cin, path)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        // fdatasync first: dirty pages are not dropped.
        if (fd < 0 || ::fdatasync(fd) != 0 || ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0)
            ++failed;
        if (fd >= 0)
            ::close(fd);
    }
    if (failed)
        std::cerr << "evict-cache: " << failed << " files could not be evicted\n";
    return failed ? 1 : 0;
}
