// Process entry. With no arguments Quill is the UCI engine; the first
// argument can name a command-line mode instead.
#include <cstring>

#include "engine/process.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    return RunEngine();
}
