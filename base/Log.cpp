#include "base/Log.h"

#include <fcntl.h>
#include <unistd.h>

#include <ctime>

namespace fw {
namespace {

// strftime in local time; empty when the time cannot be converted.
std::string FormatLocal(std::chrono::system_clock::time_point when, const char* pattern) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) return {};
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, pattern, &local);
    return std::string(buf, n);
}

}  // namespace

Log::Log(std::string home, Clock clock) : home_(std::move(home)), clock_(std::move(clock)) {}

std::string Log::FileNameFor(std::chrono::system_clock::time_point when) {
    return FormatLocal(when, "%Y_%m_%d_%H") + ".txt";
}

std::string Log::StampFor(std::chrono::system_clock::time_point when) {
    return FormatLocal(when, "%Y-%m-%d-%H:%M:%S");
}

void Log::WriteLog(std::string_view text) {
    if (writeLog_ == 0) return;
    const auto now = clock_();
    const std::string path = home_ + "/" + FileNameFor(now);
    std::string line = StampFor(now);
    line += "  ";
    line += text;
    line += "\r\n";
    // Owner-only: the traffic it records includes the login request with its password.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

}  // namespace fw
