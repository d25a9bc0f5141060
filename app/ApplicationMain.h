// SPDX-License-Identifier: MIT
#pragma once

// Runs Tavo: hands documents to an instance that already runs, or starts the
// services, loads the interface and runs the event loop. Answers the exit code.
int TavoApplicationMain(int argc, char **argv);
