// Reading a model in a child process, so that nothing the model library
// does with a broken file takes the importer down: a crash, a read that
// never ends, or memory taken without end. The child reads with
// readWithAssimp (read_model.cpp) under a memory limit and hands the plain
// SourceModel back through a pipe (model_bytes.cpp); the parent waits for
// it no longer than the time limit (read_limits.cpp). Entry point:
// readModel().
//
// Telling what happened to the child, in the order the parent asks:
// - the time limit passed: the parent kills it (SIGKILL) and says so;
// - it died of a signal: a crash (SIGSEGV, SIGBUS...) or stopped from
//   outside; the child runs with the default action of every such signal,
//   whatever the parent had set;
// - it exited with PastMemoryLimitStatus: an allocation failed under its
//   limit (RLIMIT_AS: its address space at the fork plus the limit), which
//   the child's new-handler turns into that status before anyone can take
//   the failure for something else (in a build with AddressSanitizer, whose
//   own operator new ends the process instead: its report of an allocation
//   it cannot make, or its end with the address space at the limit);
// - else its answer: a tag byte, then the model or the message of what it
//   threw.
#include "import.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define MIRTAL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MIRTAL_ADDRESS_SANITIZER 1
#endif
#endif
#ifdef MIRTAL_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int PastMemoryLimitStatus = 3;

// What the library says itself (its assertions' last words) is not the
// importer's one line: the reading process's output goes nowhere. A build
// with AddressSanitizer keeps it and passes it on when the process ended
// with a status that is none of its own, as a sanitizer ends it after its
// report of an error.
#ifdef MIRTAL_ADDRESS_SANITIZER
constexpr bool KeepWhatTheChildSays = true;
#else
constexpr bool KeepWhatTheChildSays = false;
#endif

// The answer's first byte.
constexpr char AnswerModel = 'M', AnswerImportError = 'E', AnswerOtherError = 'X';

// Signals in words, and whether they mean that the child crashed (rather
// than that it was stopped from outside).
struct SignalName {
    int signal;
    const char* words;
    bool crash;
};
constexpr SignalName SignalNames[] = {
    {SIGSEGV, "segmentation fault", true}, {SIGBUS, "bus error", true},
    {SIGFPE, "arithmetic fault", true},    {SIGILL, "illegal instruction", true},
    {SIGABRT, "aborted", true},            {SIGSYS, "bad system call", true},
    {SIGTRAP, "trap", true},               {SIGKILL, "killed", false},
    {SIGTERM, "terminated", false},        {SIGINT, "interrupted", false},
    {SIGHUP, "hung up", false},            {SIGPIPE, "broken pipe", false},
    {SIGXCPU, "out of processor time", false}, {SIGXFSZ, "file too large", false},
};

// ---------------------------------------------------------------- the child

void writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            _exit(1);  // the parent is gone
        data += written;
        size -= std::size_t(written);
    }
}

void answer(int fd, char tag, const std::string& text)
{
    const std::string bytes = tag + text;
    writeAll(fd, bytes.data(), bytes.size());
}

void allocationPastLimit() { _exit(PastMemoryLimitStatus); }

// The child's address space now, in bytes (a sanitizer's shadow memory
// included), so that the limit counts what reading adds. Read without
// allocating: it is asked again when memory has run out.
std::uint64_t addressSpaceBytes()
{
    char text[64] = {};
    const int statm = open("/proc/self/statm", O_RDONLY);
    if (statm < 0)
        return 0;
    const ssize_t got = read(statm, text, sizeof text - 1);
    close(statm);
    std::uint64_t pages = 0;
    for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9'; ++i)
        pages = 10 * pages + std::uint64_t(text[i] - '0');
    return pages * std::uint64_t(sysconf(_SC_PAGESIZE));
}

#ifdef MIRTAL_ADDRESS_SANITIZER
// The sanitizer ends the process itself on an allocation it cannot make,
// without the new-handler: its report says which kind of error it was. When
// the address space is full, its own allocator can fail first and end the
// process with no report: an end within NearLimitBytes of the limit is
// taken for the same.
constexpr std::uint64_t NearLimitBytes = std::uint64_t(64) << 20;
std::uint64_t addressSpaceLimit = 0;  // the child's RLIMIT_AS, set by limitMemory

void onSanitizerReport(const char* report)
{
    if (std::strstr(report, "out of memory") || std::strstr(report, "allocation-size-too-big"))
        _exit(PastMemoryLimitStatus);
}

void onSanitizerDeath()
{
    if (addressSpaceBytes() + NearLimitBytes >= addressSpaceLimit)
        _exit(PastMemoryLimitStatus);
}
#endif

void limitMemory(std::uint64_t bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    const std::uint64_t wanted = addressSpaceBytes() + bytes;
    if (limit.rlim_max == RLIM_INFINITY || wanted < limit.rlim_max)
        limit.rlim_max = rlim_t(wanted);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_AS, &limit);
    std::set_new_handler(allocationPastLimit);
#ifdef MIRTAL_ADDRESS_SANITIZER
    addressSpaceLimit = limit.rlim_cur;
    __asan_set_error_report_callback(onSanitizerReport);
    __sanitizer_set_death_callback(onSanitizerDeath);
#endif
}

[[noreturn]] void readInChild(int out, int said, pid_t parent, const std::string& path,
                              std::uint64_t memoryBytes, void (*plantedFault)())
{
    // The default action for every signal that ends a process, so that a
    // crash ends the child as the signal it is, and an interruption too.
    for (const SignalName& s : SignalNames)
        signal(s.signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Gone with the parent, whatever ends it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(1);
    const int nothing = open("/dev/null", O_WRONLY);
    if (nothing >= 0) {
        dup2(nothing, STDOUT_FILENO);
        dup2(said >= 0 ? said : nothing, STDERR_FILENO);
        close(nothing);
    }
    limitMemory(memoryBytes);
    try {
        if (plantedFault)
            plantedFault();
        const SourceModel model = readWithAssimp(path);
        writeAll(out, &AnswerModel, 1);
        encodeSourceModel(model,
                          [&](const char* bytes, std::size_t size) { writeAll(out, bytes, size); });
    } catch (const ImportError& e) {
        answer(out, AnswerImportError, e.what());
    } catch (const std::exception& e) {
        answer(out, AnswerOtherError, e.what());
    } catch (...) {
        answer(out, AnswerOtherError, "an unknown error");
    }
    _exit(0);
}

// --------------------------------------------------------------- the parent

// Reads the child's answer until it closes the pipe; false when the
// deadline comes first.
bool receive(int in, std::chrono::steady_clock::time_point deadline, std::string& bytes)
{
    constexpr std::size_t Chunk = 1 << 20;
    std::size_t received = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd wait{in, POLLIN, 0};
        const int ready = poll(&wait, 1, int(std::min<long long>(left.count(), 60000)));
        if (ready < 0 && errno != EINTR)
            throw std::runtime_error(std::string("cannot wait for the reading process: ") +
                                     std::strerror(errno));
        if (ready <= 0)
            continue;
        // Read straight into the answer, which grows as it fills.
        if (bytes.size() < received + Chunk)
            bytes.resize(std::max(received + Chunk, 2 * bytes.size()));
        const ssize_t got = read(in, bytes.data() + received, Chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            bytes.resize(received);
            return true;
        }
        received += std::size_t(got);
    }
}

// What the reading process said, to standard error.
void passOn(int said)
{
    char chunk[4096];
    lseek(said, 0, SEEK_SET);
    for (ssize_t got; (got = read(said, chunk, sizeof chunk)) > 0;)
        if (write(STDERR_FILENO, chunk, std::size_t(got)) != got)
            break;
}

int waitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            throw std::runtime_error(std::string("cannot wait for the reading process: ") +
                                     std::strerror(errno));
    return status;
}

std::string signalDeath(int signal)
{
    for (const SignalName& s : SignalNames)
        if (s.signal == signal)
            return s.crash ? std::string("the model library crashed reading it (") + s.words + ")"
                           : std::string("the model library was stopped while reading it (") +
                                 s.words + ")";
    return "the model library was stopped while reading it (signal " + std::to_string(signal) + ")";
}

} // namespace

SourceModel readModel(const std::string& path, const ReadLimits& limits)
{
    std::error_code error;
    const std::uintmax_t fileBytes = fs::file_size(path, error);
    const double seconds =
        limits.seconds > 0 ? limits.seconds : readTimeLimit(error ? 0 : fileBytes);
    const std::uint64_t memoryBytes =
        limits.memoryBytes > 0 ? limits.memoryBytes : defaultMemoryLimit();

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        throw std::runtime_error(std::string("cannot start the reading process: ") +
                                 std::strerror(errno));
    const int said = KeepWhatTheChildSays ? memfd_create("mirtal-import reading", MFD_CLOEXEC) : -1;
    std::fflush(nullptr);
    const pid_t parent = getpid();
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(seconds));
    const pid_t child = fork();
    if (child < 0) {
        const int why = errno;
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        if (said >= 0)
            close(said);
        throw std::runtime_error(std::string("cannot start the reading process: ") +
                                 std::strerror(why));
    }
    if (child == 0) {
        close(pipeEnds[0]);
        readInChild(pipeEnds[1], said, parent, path, memoryBytes, limits.plantedFault);
    }
    close(pipeEnds[1]);
    // A wider pipe, for fewer turns between the two processes on a large
    // model (as wide as the system lets; the default is 64 kB).
    fcntl(pipeEnds[0], F_SETPIPE_SZ, 1 << 20);

    std::string bytes;
    bool answered = false;
    try {
        answered = receive(pipeEnds[0], deadline, bytes);
    } catch (...) {
        close(pipeEnds[0]);
        kill(child, SIGKILL);
        waitFor(child);
        if (said >= 0)
            close(said);
        throw;
    }
    close(pipeEnds[0]);
    if (!answered)
        kill(child, SIGKILL);
    const int status = waitFor(child);
    if (said >= 0) {
        if (answered && WIFEXITED(status) && WEXITSTATUS(status) != 0 &&
            WEXITSTATUS(status) != PastMemoryLimitStatus)
            passOn(said);
        close(said);
    }

    if (!answered)
        throw ImportError("gave up after " + limitFigure(seconds) +
                          " s: raise it with --time-limit");
    if (WIFSIGNALED(status))
        throw ImportError(signalDeath(WTERMSIG(status)));
    if (WIFEXITED(status) && WEXITSTATUS(status) == PastMemoryLimitStatus)
        throw ImportError("gave up at its memory limit of " +
                          limitFigure(double(memoryBytes) / LimitBytesPerGB) +
                          " GB: raise it with --memory-limit");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes.empty())
        throw ImportError("the reading process ended with status " +
                          std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : status) +
                          " and no answer");
    const std::string_view body = std::string_view(bytes).substr(1);
    if (bytes[0] == AnswerModel)
        return decodeSourceModel(body);
    if (bytes[0] == AnswerImportError)
        throw ImportError(std::string(body));
    throw std::runtime_error(std::string(body));
}
