// The platform services: portable where the standard library serves, with
// POSIX and Windows branches for the rest.
#include "platform/platform.h"

#include <chrono>
#include <csignal>
#include <cerrno>
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

void RunWithStdoutMuted(void (*work)()) {
    std::fflush(stdout);
#ifdef _WIN32
    // _dup2 on descriptor 1 closes its handle and may change the process's
    // standard output handle, which WriteStdout uses: afterwards that handle
    // is the copy of the original that descriptor 1 holds again.
    const int saved = _dup(1);
    const int null = _open("NUL", _O_WRONLY);
#else
    const int saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
#endif
    const bool muted = saved >= 0 && null >= 0;
    if (muted) {
#ifdef _WIN32
        _dup2(null, 1);
#else
        dup2(null, 1);
#endif
    }
    work();
    std::fflush(stdout);
    if (muted) {
#ifdef _WIN32
        _dup2(saved, 1);
        SetStdHandle(STD_OUTPUT_HANDLE, reinterpret_cast<HANDLE>(_get_osfhandle(1)));
#else
        dup2(saved, 1);
#endif
    }
#ifdef _WIN32
    if (saved >= 0) _close(saved);
    if (null >= 0) _close(null);
#else
    if (saved >= 0) close(saved);
    if (null >= 0) close(null);
#endif
}

int ReadStdinByte() {
    if (InputPos == InputFill) {
#ifdef _WIN32
        DWORD n = 0;
        if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), InputBuffer, sizeof InputBuffer, &n, nullptr) || n == 0)
            return -1;
#else
        ssize_t n;
        do {
            n = read(0, InputBuffer, sizeof InputBuffer);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) return -1;
#endif
        InputFill = static_cast<std::size_t>(n);
        InputPos = 0;
    }
    return static_cast<unsigned char>(InputBuffer[InputPos++]);
}

double MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
