#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "text/LogSink.h"

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
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ostringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// What a shell command prints on its standard output (and error, when asked in the command).
inline std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

class MemoryLog : public LogSink {
public:
    void WriteLog(std::string_view text) override { lines.emplace_back(text); }
    std::vector<std::string> lines;
};

}  // namespace fw::test
