// Starts the engine binary as a GUI would: in a fresh temporary directory,
// with pipes on standard input and output. The destructor closes the pipes,
// kills the process if it is still running and removes the directory.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// The engine binary the tests start: QUILL_ENGINE_BINARY when it is set
// (for example the Windows build, build-windows/quill.exe), otherwise the
// binary built with the tests.
std::string EngineUnderTest();
// A program that runs the engine binary, from QUILL_ENGINE_WRAPPER (for
// example "wine"); empty when the binary is started directly.
std::string EngineWrapper();

struct EngineProcess {
    pid_t Pid = -1;
    int ToEngine = -1;
    int FromEngine = -1;
    std::string Directory;
    std::string Pending;    // bytes read but not yet returned as lines
    std::string AllOutput;  // every byte the engine has written so far

    // Starts the engine with the given arguments (none: the UCI engine). An
    // empty binary means the engine under test (see EngineUnderTest).
    explicit EngineProcess(const std::vector<std::string>& args = {}, const std::string& binary = "");
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Sends one line followed by a line feed (or the exact bytes with SendRaw).
    void Send(const std::string& line);
    void SendRaw(const std::string& bytes);
    // Closes the engine's standard input.
    void CloseInput();
    // Next output line without its line feed; false when none came within the time.
    bool ReadLine(std::string& line, int timeoutMs = 10000);
    // Reads lines until one starts with the prefix; returns every line read
    // (the matching one last). Empty when it did not come within the time.
    std::vector<std::string> ReadUntil(const std::string& prefix, int timeoutMs = 30000);
    // Waits for the process to end; returns its exit code, or -1 on a time-out or a signal.
    int Wait(int timeoutMs = 10000);
    // Contents of a file in the engine's directory.
    std::string ReadFile(const std::string& name) const;
    // Reads whatever output arrives within the time into Pending.
    void Fill(int timeoutMs);
};
