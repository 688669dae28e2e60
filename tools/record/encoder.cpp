// ffmpeg as the encoder (see record.h): its command line for each format,
// and a pipe of raw RGB frames that a writer thread feeds while the next
// frame is drawn.
#include "record.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

extern char** environ;

namespace record {

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

std::vector<std::string> ffmpegArguments(const std::string& ffmpeg, const Settings& settings,
                                         int pass, const std::string& target,
                                         const std::string& palette)
{
    // Frames arrive top row first, 3 bytes a pixel, at the film's rate.
    std::vector<std::string> a = {ffmpeg, "-hide_banner", "-nostdin", "-loglevel", "error",
                                  "-f", "rawvideo", "-pix_fmt", "rgb24",
                                  "-s", std::to_string(settings.width) + "x" + std::to_string(settings.height),
                                  "-r", std::to_string(settings.fps), "-i", "pipe:0"};
    auto add = [&a](std::initializer_list<const char*> more) { a.insert(a.end(), more.begin(), more.end()); };
    switch (settings.format) {
    case Format::Mp4:
        // yuv420p plays everywhere; the index (moov atom) goes first, so
        // that the film plays while it downloads.
        add({"-c:v", "libx264", "-preset", "medium", "-crf", "18", "-pix_fmt", "yuv420p",
             "-movflags", "+faststart", "-f", "mp4", "-y"});
        break;
    case Format::WebM:
        // Constant quality (-b:v 0 with -crf); -cpu-used 4 with row threads
        // keeps VP9 near the speed of the drawing.
        add({"-c:v", "libvpx-vp9", "-crf", "32", "-b:v", "0", "-deadline", "good", "-cpu-used", "4",
             "-row-mt", "1", "-pix_fmt", "yuv420p", "-f", "webm", "-y"});
        break;
    case Format::Gif:
        if (pass == 1) {
            // A palette of 256 colours made from every frame of the film.
            add({"-vf", "palettegen=stats_mode=full", "-frames:v", "1", "-f", "image2", "-c:v", "png", "-y"});
        } else {
            a.insert(a.end(), {"-i", palette, "-lavfi", "[0:v][1:v]paletteuse=dither=sierra2_4a",
                               "-loop", "0", "-f", "gif", "-y"});
        }
        break;
    }
    a.push_back(target);
    return a;
}

// What the submitting thread and the writer thread share.
struct Encoder::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint8_t> pending;  // the next frame to write
    bool hasPending = false;
    bool closing = false;
    bool failed = false;     // ffmpeg stopped reading
    double writeSeconds = 0; // time blocked in write
    int fd = -1;
    std::thread writer;
};

Encoder::~Encoder()
{
    if (shared_)
        abort();
}

bool Encoder::start(const std::vector<std::string>& arguments, std::string& message)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        message = std::string("mirtal-record: cannot make a pipe to ffmpeg: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    // Standard output stays free; ffmpeg's errors go to standard error.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A process group of its own: a Ctrl-C on the terminal reaches this
    // program only, which then ends ffmpeg and removes the partial film.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(fds[0]);
    if (error != 0) {
        close(fds[1]);
        message = "mirtal-record: cannot start " + arguments[0] + ": " + std::strerror(error) +
                  "; check the ffmpeg installation";
        return false;
    }
    pid_ = pid;
    shared_ = new Shared;
    shared_->fd = fds[1];
    Shared* shared = shared_;
    shared_->writer = std::thread([shared] {
        std::vector<std::uint8_t> frame;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(shared->mutex);
                shared->changed.wait(lock, [&] { return shared->hasPending || shared->closing; });
                if (!shared->hasPending)
                    return;
                frame.swap(shared->pending);
                shared->hasPending = false;
            }
            shared->changed.notify_all();
            const Clock::time_point start = Clock::now();
            std::size_t done = 0;
            bool ok = true;
            while (done < frame.size()) {
                const ssize_t n = write(shared->fd, frame.data() + done, frame.size() - done);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    ok = false;
                    break;
                }
                done += std::size_t(n);
            }
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->writeSeconds += secondsSince(start);
            if (!ok) {
                shared->failed = true;
                shared->changed.notify_all();
                return;
            }
        }
    });
    return true;
}

bool Encoder::submit(std::vector<std::uint8_t>& frame, const volatile int& stop)
{
    const Clock::time_point start = Clock::now();
    std::unique_lock<std::mutex> lock(shared_->mutex);
    // Wake up now and then to see whether the run was interrupted.
    while (shared_->hasPending && !shared_->failed && !stop)
        shared_->changed.wait_for(lock, std::chrono::milliseconds(50));
    waitSeconds_ += secondsSince(start);
    if (shared_->failed || stop)
        return false;
    shared_->pending.swap(frame);
    shared_->hasPending = true;
    lock.unlock();
    shared_->changed.notify_all();
    return true;
}

bool Encoder::joinWriter()
{
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->closing = true;
    }
    shared_->changed.notify_all();
    shared_->writer.join();
    writeSeconds_ = shared_->writeSeconds;
    const bool failed = shared_->failed;
    close(shared_->fd);
    delete shared_;
    shared_ = nullptr;
    return !failed;
}

bool Encoder::finish(std::string& message)
{
    const bool failed = !joinWriter();
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (failed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        message = "mirtal-record: ffmpeg failed (" +
                  (WIFEXITED(status) ? "status " + std::to_string(WEXITSTATUS(status))
                                     : "signal " + std::to_string(WTERMSIG(status))) +
                  "); its message is above";
        return false;
    }
    return true;
}

void Encoder::abort()
{
    if (pid_ > 0)
        kill(pid_, SIGKILL);  // the writer's write then fails at once
    if (shared_) {
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            shared_->hasPending = false;
        }
        joinWriter();
    }
    if (pid_ > 0) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
}

} // namespace record
