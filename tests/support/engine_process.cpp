#include "engine_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

std::string EngineUnderTest() {
    std::string binary = Environment("QUILL_ENGINE_BINARY");
    return binary.empty() ? QUILL_BINARY : binary;
}

std::string EngineWrapper() { return Environment("QUILL_ENGINE_WRAPPER"); }

EngineProcess::EngineProcess(const std::vector<std::string>& args, const std::string& requested) {
    std::signal(SIGPIPE, SIG_IGN);
    // The child changes into the temporary directory before it starts the
    // binary, so a relative path has to be made absolute here.
    const std::string binary = std::filesystem::absolute(requested.empty() ? EngineUnderTest() : requested).string();
    const std::string wrapper = requested.empty() ? EngineWrapper() : "";
    char pattern[] = "/tmp/quill-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    Directory = pattern;
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe failed");
    Pid = fork();
    if (Pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[0]);
        close(in[1]);
        close(out[0]);
        close(out[1]);
        if (chdir(Directory.c_str()) != 0) _exit(127);
        std::vector<char*> argv;
        if (!wrapper.empty()) argv.push_back(const_cast<char*>(wrapper.c_str()));
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (wrapper.empty()) execv(binary.c_str(), argv.data());
        else execvp(wrapper.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    ToEngine = in[1];
    FromEngine = out[0];
}

EngineProcess::~EngineProcess() {
    CloseInput();
    if (Pid > 0 && Wait(5000) == -1 && Pid > 0) {
        kill(Pid, SIGKILL);
        waitpid(Pid, nullptr, 0);
    }
    if (FromEngine >= 0) close(FromEngine);
    std::error_code ignored;
    std::filesystem::remove_all(Directory, ignored);
}

void EngineProcess::Send(const std::string& line) { SendRaw(line + "\n"); }

void EngineProcess::SendRaw(const std::string& bytes) {
    if (ToEngine < 0) return;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(ToEngine, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void EngineProcess::CloseInput() {
    if (ToEngine >= 0) close(ToEngine);
    ToEngine = -1;
}

bool EngineProcess::ReadLine(std::string& line, int timeoutMs) {
    long long end = NowMs() + timeoutMs;
    for (;;) {
        std::size_t nl = Pending.find('\n');
        if (nl != std::string::npos) {
            line = Pending.substr(0, nl);
            Pending.erase(0, nl + 1);
            return true;
        }
        long long left = end - NowMs();
        if (left <= 0 || FromEngine < 0) return false;
        Fill(static_cast<int>(left));
    }
}

void EngineProcess::Fill(int timeoutMs) {
    if (FromEngine < 0) return;
    pollfd pfd{FromEngine, POLLIN, 0};
    if (poll(&pfd, 1, timeoutMs) <= 0) return;
    char buffer[4096];
    ssize_t n = read(FromEngine, buffer, sizeof buffer);
    if (n <= 0) {
        close(FromEngine);
        FromEngine = -1;
        return;
    }
    Pending.append(buffer, static_cast<std::size_t>(n));
    AllOutput.append(buffer, static_cast<std::size_t>(n));
}

std::vector<std::string> EngineProcess::ReadUntil(const std::string& prefix, int timeoutMs) {
    std::vector<std::string> lines;
    long long end = NowMs() + timeoutMs;
    std::string line;
    while (NowMs() < end && ReadLine(line, static_cast<int>(end - NowMs()))) {
        lines.push_back(line);
        if (line.rfind(prefix, 0) == 0) return lines;
    }
    return {};
}

int EngineProcess::Wait(int timeoutMs) {
    if (Pid <= 0) return -1;
    long long end = NowMs() + timeoutMs;
    for (;;) {
        int status = 0;
        pid_t r = waitpid(Pid, &status, WNOHANG);
        if (r == Pid) {
            Pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (NowMs() >= end) return -1;
        // Keep draining output so that the engine never blocks on a full pipe.
        if (FromEngine >= 0) Fill(10);
        else usleep(10000);
    }
}

std::string EngineProcess::ReadFile(const std::string& name) const {
    std::ifstream in(Directory + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
