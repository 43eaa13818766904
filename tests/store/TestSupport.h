#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/LogSink.h"

namespace fw::test {

// A fresh directory under the test's own home, removed afterwards.
class TempHome {
public:
    TempHome() {
        const char* base = std::getenv("FENWARDE_HOME");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/home-XXXXXX";
        if (char* made = mkdtemp(pattern.data())) path_ = made;
    }
    ~TempHome() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

class MemoryLog : public LogSink {
public:
    void WriteLog(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

}  // namespace fw::test
