// SPDX-License-Identifier: MIT
// Reads paths from standard input, one per line, and for each opens the file,
// reads its first 512 bytes and closes it. The floor against which
// tavo-identify is measured.

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>

int main() {
    std::ios::sync_with_stdio(false);
    std::string path;
    unsigned long sum = 0;
    unsigned char buffer[512];
    while (std::getline(std::cin, path)) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::read(fd, buffer, sizeof buffer) > 0)
            sum += buffer[0];
        ::close(fd);
    }
    return sum == 0xFFFFFFFFul ? 1 : 0;
}
