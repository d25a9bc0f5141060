// SPDX-License-Identifier: MIT
#include "app/ApplicationMain.h"

int main(int argc, char **argv) {
    return TavoApplicationMain(argc, argv);
}
