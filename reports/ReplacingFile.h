#pragma once

#include <string>
#include <string_view>

namespace fw {

// A file written under a temporary name beside its target, which takes the target's name only
// once it is complete: a failed or cancelled export leaves no half-written file under the
// chosen name, and a file that had the name stays as it was.
class ReplacingFile {
public:
    explicit ReplacingFile(std::string target);
    ~ReplacingFile();  // an uncommitted temporary file is removed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file; false, with the reason for the user, when the target cannot
    // be written (no such folder, no permission, a folder of that name, a read-only file).
    bool Open(std::string* error);
    bool Write(std::string_view data, std::string* error);
    // For writers that open the file by name themselves: the temporary file's path, after
    // CloseForWriter has let go of it here.
    const std::string& TempPath() const { return temp_; }
    void CloseForWriter();
    // Makes the content durable and gives it the target's name.
    bool Commit(std::string* error);
    void Discard();

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool committed_ = false;
};

// Why writing failed, for the user: the file name and the system's reason in words.
std::string WriteErrorText(const std::string& path, int error);

}  // namespace fw
