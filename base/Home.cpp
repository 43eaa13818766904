#include "base/Home.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Config.h"

namespace fw {

const char* const kDefaultConfig =
    "[login]\n"
    "Server=\n"
    "User=\n"
    "Pass=\n"
    "Remember=0\n"
    "DataName=fenwarde\n"
    "DataBasePsw=\n"
    "Write=0\n"
    "Port=1502\n"
    "WebPort=89\n";

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

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
    if (!Exists(path)) return true;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

// Every missing folder of the path, parents first, with the given mode.
bool MakeFolders(const std::string& path, mode_t mode) {
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) break;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WriteNewFile(const std::string& path, const char* text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return errno == EEXIST;
    const std::size_t size = std::strlen(text);
    const bool written = ::write(fd, text, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (!written) ::unlink(path.c_str());
    return written;
}

}  // namespace

Home ChooseHome(const HomePlaces& places) {
    if (!places.option.empty()) return {places.option, false};
    if (!places.variable.empty()) return {places.variable, false};
    if (places.programFolderWritable && !places.programFolderInstalled) return {places.programFolder, false};
    // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
    if (!places.dataHome.empty() && places.dataHome.front() == '/') return {places.dataHome + "/fenwarde", true};
    if (!places.userHome.empty()) return {places.userHome + "/.local/share/fenwarde", true};
    // No home folder at all: the program's folder, whose warning then says what cannot be kept.
    return {places.programFolder, false};
}

Home ResolveHome(const std::string& homeOption, const std::string& programFolder) {
    HomePlaces places;
    places.option = homeOption;
    places.variable = Variable("FENWARDE_HOME");
    places.programFolder = programFolder;
    places.programFolderWritable = ::access(programFolder.c_str(), W_OK | X_OK) == 0;
    places.programFolderInstalled = Exists(programFolder + "/../share/applications/fenwarde.desktop");
    places.dataHome = Variable("XDG_DATA_HOME");
    places.userHome = Variable("HOME");
    if (places.userHome.empty())
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
            places.userHome = entry->pw_dir;
    return ChooseHome(places);
}

bool PrepareHome(const Home& home) {
    if (!home.perUser) return MakeFolders(home.path, 0777);  // the umask decides, as before
    return MakeFolders(home.path, 0700) && WriteNewFile(home.path + "/" + kConfigFileName, kDefaultConfig);
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
