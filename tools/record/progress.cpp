// Progress on standard error (see record.h).
#include "record.h"

#include <chrono>
#include <cmath>

namespace record {

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// "1:05" or "1:02:05".
std::string clockText(double seconds)
{
    const long total = long(std::lround(seconds));
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

} // namespace

Progress::Progress(std::FILE* out, bool terminal, int total, const char* what)
    : out_(out), terminal_(terminal), total_(total), what_(what), start_(now())
{
}

std::string Progress::barText(int done, int total, double secondsLeft, int columns)
{
    const double share = total > 0 ? double(done) / total : 1.0;
    char tail[96];
    std::snprintf(tail, sizeof tail, " %d/%d frames %3d%%  %s left", done, total,
                  int(std::floor(share * 100)), secondsLeft < 0 ? "-:--" : clockText(secondsLeft).c_str());
    const int barWidth = std::max(0, columns - int(std::string(tail).size()) - 2);
    const int filled = int(std::floor(share * barWidth));
    return "[" + std::string(std::size_t(filled), '#') + std::string(std::size_t(barWidth - filled), '.') +
           "]" + tail;
}

void Progress::update(int done)
{
    const double elapsed = now() - start_;
    const double left = done > 0 ? elapsed / done * (total_ - done) : -1;
    if (terminal_) {
        std::fprintf(out_, "\r%s", barText(done, total_, left, 70).c_str());
        std::fflush(out_);
        return;
    }
    const int tenth = total_ > 0 ? int(std::floor(double(done) * 10 / total_)) : 10;
    if (tenth > lastTenth_) {
        lastTenth_ = tenth;
        std::fprintf(out_, "mirtal-record: %s %d%% (%d/%d frames), %s left\n", what_.c_str(),
                     tenth * 10, done, total_, clockText(left).c_str());
        std::fflush(out_);
    }
}

void Progress::finish()
{
    if (terminal_) {
        std::fputc('\n', out_);
        std::fflush(out_);
    }
}

} // namespace record
