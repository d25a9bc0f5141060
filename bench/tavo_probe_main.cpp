// SPDX-License-Identifier: MIT
// Tavo itself, with the start-up probe linked in.
#include "app/ApplicationMain.h"

int main(int argc, char **argv) {
    return TavoApplicationMain(argc, argv);
}
