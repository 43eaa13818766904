#include "reports/ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace fw {
namespace {

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a new file would get: rw for all, less the process's umask (read without changing
// it, since other threads may be creating files meanwhile).
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(0666 & ~std::strtol(line.c_str() + 6, nullptr, 8));
    return 0644;
}

}  // namespace

std::string WriteErrorText(const std::string& path, int error) {
    std::string why;
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            why = "磁盘空间不足";
            break;
        case EACCES:
        case EPERM:
            why = "没有写入权限";
            break;
        case EROFS:
            why = "磁盘是只读的";
            break;
        case ENOENT:
        case ENOTDIR:
            why = "文件夹不存在";
            break;
        case EISDIR:
            why = "已有同名的文件夹";
            break;
        case EBUSY:
        case ETXTBSY:
            why = "文件正被其他程序使用";
            break;
        case ENAMETOOLONG:
            why = "文件名太长";
            break;
        default:
            why = std::strerror(error);
            break;
    }
    return "无法写入“" + path + "”：" + why;
}

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Open(std::string* error) {
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            *error = WriteErrorText(target_, EISDIR);
            return false;
        }
        if (::access(target_.c_str(), W_OK) != 0) {
            *error = "无法写入“" + target_ + "”：文件是只读的";
            return false;
        }
    }
    // Hidden, in the same folder, so that the rename is atomic and never crosses file systems.
    std::string pattern = Folder(target_) + "/." + BaseName(target_) + ".XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int why = errno;
        struct stat folder {};
        // Some folders that exist take no new files at all (/proc, some mounts).
        if (why == ENOENT && ::stat(Folder(target_).c_str(), &folder) == 0 &&
            S_ISDIR(folder.st_mode))
            *error = "无法写入“" + target_ + "”：该文件夹中不能新建文件";
        else
            *error = WriteErrorText(target_, why);
        return false;
    }
    temp_ = std::move(pattern);
    return true;
}

bool ReplacingFile::Write(std::string_view data, std::string* error) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd_, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = WriteErrorText(target_, n < 0 ? errno : ENOSPC);
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void ReplacingFile::CloseForWriter() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool ReplacingFile::Commit(std::string* error) {
    if (temp_.empty()) return false;
    if (fd_ < 0) fd_ = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    // An old file keeps its permissions; a new one gets what any new file would.
    struct stat old {};
    const mode_t mode = ::stat(target_.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    const bool durable = fd_ >= 0 && ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
    const int syncError = errno;
    const bool closed = fd_ < 0 || ::close(fd_) == 0;
    fd_ = -1;
    if (!durable || !closed) {
        *error = WriteErrorText(target_, durable ? errno : syncError);
        Discard();
        return false;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        *error = WriteErrorText(target_, errno);
        Discard();
        return false;
    }
    committed_ = true;
    return true;
}

void ReplacingFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

}  // namespace fw
