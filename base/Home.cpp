#include "base/Home.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace fw {
namespace {

// Tries what the program will do: create a file in the folder, or open a file for writing.
bool CanCreateIn(const std::string& folder) {
    const std::string probe = folder + "/.fenwarde-write-check";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

bool CanWriteIfPresent(const std::string& path) {
    if (::access(path.c_str(), F_OK) != 0) return true;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace

std::string ResolveHome(const std::string& homeOption, const char* homeVariable,
                        const std::string& executableDir) {
    if (!homeOption.empty()) return homeOption;
    if (homeVariable != nullptr && *homeVariable != '\0') return homeVariable;
    return executableDir;
}

std::string HomeWriteWarning(const std::string& home, const std::string& databaseFile) {
    std::vector<std::string> lost;
    if (!CanCreateIn(home)) lost = {"设置", "日志", "数据库"};
    if (lost.empty() && !CanWriteIfPresent(home + "/conf.ini")) lost.push_back("设置（conf.ini）");
    if (!databaseFile.empty() && lost.size() < 3 && !CanWriteIfPresent(databaseFile))
        lost.push_back("数据库");
    if (lost.empty()) return {};
    std::string what;
    for (std::size_t i = 0; i < lost.size(); ++i)
        what += (i == 0 ? "" : i + 1 == lost.size() ? "和" : "、") + lost[i];
    return "无法写入程序文件夹：" + home + "\n" + what + "将无法保存。";
}

}  // namespace fw
