// The few operating-system services the engine uses: an auto-reset event,
// the input thread's low priority, unbuffered standard output, standard
// input byte by byte, and a monotonic clock.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>

// An auto-reset event: a signal given while nobody waits stays pending until
// the next wait, which then returns at once and clears it.
struct Event {
    std::mutex Lock;
    std::condition_variable Wake;
    bool Signalled = false;
};
void SetEvent(Event& e);
void ResetEvent(Event& e);
void WaitEvent(Event& e);

// Lowers the calling thread to the lowest scheduling priority the platform offers.
void LowerThreadPriority();
// Ignores the signals that would end the process when the GUI closes a pipe.
void PrepareProcessIo();
// One write of the whole buffer to standard output, unbuffered.
void WriteStdout(const char* data, std::size_t length);
// Runs work with standard output and standard error sent to the null device
// (a library that prints on its own must not reach the GUI); the engine's
// own lines (WriteStdout) go out as before once it returns.
void RunWithOutputMuted(void (*work)());
// Next byte of standard input, or -1 at its end or on a read error. Reads
// through a buffer of 4097 bytes.
int ReadStdinByte();
#ifdef __EMSCRIPTEN__
// The WebAssembly build's standard input: the worker script calls this with
// each line the page posts; ReadStdinByte hands the lines out in order.
extern "C" void QuillInputLine(const char* line);
#endif
// Milliseconds on a monotonic clock (arbitrary origin).
double MonotonicMilliseconds();
