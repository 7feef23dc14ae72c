// The life of the engine process: start-up, the two threads, the main loop.
#pragma once

// Start-up, main loop and shutdown; returns the process exit code (0).
int RunEngine();
