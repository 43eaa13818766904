#pragma once

#include <string_view>

namespace fw {

// Where the parts of the system hand their log lines. The log file (Log) is the real one; tests
// collect lines in memory. Writing never fails as far as the caller can tell.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void WriteLog(std::string_view text) = 0;
};

}  // namespace fw
