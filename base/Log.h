#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "text/LogSink.h"

namespace fw {

// The hourly log in the program's home: one file per local hour ("2014_03_03_14.txt"), each
// line the local time, two blanks, the text and CR LF. The file is opened and closed for every
// line; a line that cannot be written is lost without a word.
class Log : public LogSink {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit Log(std::string home, Clock clock = &std::chrono::system_clock::now);

    void SetSwitch(int writeLog) { writeLog_ = writeLog; }
    int Switch() const { return writeLog_; }

    void WriteLog(std::string_view text) override;

    static std::string FileNameFor(std::chrono::system_clock::time_point when);  // no folder
    static std::string StampFor(std::chrono::system_clock::time_point when);

private:
    std::string home_;
    Clock clock_;
    int writeLog_ = 0;
};

}  // namespace fw
