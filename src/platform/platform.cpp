// The platform services: portable where the standard library serves, with
// POSIX and Windows branches for the rest.
#include "platform/platform.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <algorithm>
#include <string>
#endif

void SetEvent(Event& e) {
    {
        std::lock_guard<std::mutex> guard(e.Lock);
        e.Signalled = true;
    }
    e.Wake.notify_one();
}

void ResetEvent(Event& e) {
    std::lock_guard<std::mutex> guard(e.Lock);
    e.Signalled = false;
}

void WaitEvent(Event& e) {
    std::unique_lock<std::mutex> guard(e.Lock);
    e.Wake.wait(guard, [&] { return e.Signalled; });
    e.Signalled = false;
}

void LowerThreadPriority() {
#ifdef _WIN32
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
#elif defined(__linux__)
    // On Linux a thread's nice value is its own; 19 is the lowest priority.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
#endif
}

void PrepareProcessIo() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#else
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void WriteStdout(const char* data, std::size_t length) {
#ifdef _WIN32
    // WriteFile goes straight to the pipe, past the runtime's buffering and
    // its text mode, so a line feed stays a single line feed.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (length > 0) {
        DWORD written = 0;
        if (!WriteFile(out, data, static_cast<DWORD>(length), &written, nullptr) || written == 0) return;
        data += written;
        length -= written;
    }
#else
    // One write call carries the whole line; a pipe takes up to PIPE_BUF bytes atomically.
    while (length > 0) {
        ssize_t n = write(1, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // the GUI has gone; the line is lost
        data += n;
        length -= static_cast<std::size_t>(n);
    }
#endif
}

namespace {
char InputBuffer[4097];
std::size_t InputFill = 0;
std::size_t InputPos = 0;
}  // namespace

namespace {

// Points descriptor fd at the null device; returns a copy of what it was (-1 on failure).
int MuteDescriptor(int fd) {
#ifdef _WIN32
    const int saved = _dup(fd);
    const int null = _open("NUL", _O_WRONLY);
    if (saved >= 0 && null >= 0) _dup2(null, fd);
    if (null >= 0) _close(null);
#else
    const int saved = dup(fd);
    const int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0) dup2(null, fd);
    if (null >= 0) close(null);
#endif
    return saved;
}

void RestoreDescriptor(int fd, int saved) {
    if (saved < 0) return;
#ifdef _WIN32
    _dup2(saved, fd);
    _close(saved);
    // _dup2 closed the descriptor's first handle, which may still be the
    // process's standard handle: it becomes the copy the descriptor holds now.
    SetStdHandle(fd == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
#else
    dup2(saved, fd);
    close(saved);
#endif
}

}  // namespace

void RunWithOutputMuted(void (*work)()) {
    std::fflush(stdout);
    std::fflush(stderr);
    const int out = MuteDescriptor(1), err = MuteDescriptor(2);
    work();
    std::fflush(stdout);
    std::fflush(stderr);
    RestoreDescriptor(2, err);
    RestoreDescriptor(1, out);
}

#ifdef __EMSCRIPTEN__
// In a browser there is no standard input: the page posts each UCI line to
// the Web Worker, whose own thread hands it over here, and the input thread
// takes it byte by byte as it would from a pipe. Input never ends there.
namespace {
std::mutex WebInputLock;
std::condition_variable WebInputArrived;
std::string WebInput;
}  // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void QuillInputLine(const char* line) {
    {
        std::lock_guard<std::mutex> guard(WebInputLock);
        WebInput += line;
        WebInput += '\n';
    }
    WebInputArrived.notify_one();
}

namespace {
// Takes what the page has posted, waiting for it: at least one byte.
std::size_t ReadInputChunk() {
    std::unique_lock<std::mutex> guard(WebInputLock);
    WebInputArrived.wait(guard, [] { return !WebInput.empty(); });
    const std::size_t n = std::min(WebInput.size(), sizeof InputBuffer);
    WebInput.copy(InputBuffer, n);
    WebInput.erase(0, n);
    return n;
}
}  // namespace
#else
namespace {
// One read of standard input into the buffer: the bytes read, 0 at its end
// or on a read error.
std::size_t ReadInputChunk() {
#ifdef _WIN32
    DWORD n = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), InputBuffer, sizeof InputBuffer, &n, nullptr)) return 0;
    return n;
#else
    ssize_t n;
    do {
        n = read(0, InputBuffer, sizeof InputBuffer);
    } while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
#endif
}
}  // namespace
#endif

int ReadStdinByte() {
    if (InputPos == InputFill) {
        InputFill = ReadInputChunk();
        InputPos = 0;
        if (InputFill == 0) return -1;
    }
    return static_cast<unsigned char>(InputBuffer[InputPos++]);
}

#ifdef __EMSCRIPTEN__
// Each thread is a worker with a clock of its own origin; the origin's
// absolute time added to it gives one clock that all threads share.
EM_JS(double, SharedClockMilliseconds, (), { return performance.timeOrigin + performance.now(); });
#endif

double MonotonicMilliseconds() {
#ifdef __EMSCRIPTEN__
    return SharedClockMilliseconds();
#else
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
#endif
}
