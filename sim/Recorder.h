#pragma once

#include <QFile>
#include <QString>

#include <optional>
#include <string>

#include <json/value.h>

namespace fw::sim {

// Appends every document a client sends as one JSON line:
// {"connection":3,"document":{...},"time":"yyyy-MM-dd HH:mm:ss.zzz"}, with "raw" (the text)
// in place of "document" when it does not parse. UTF-8, flushed line by line.
class Recorder {
public:
    bool Open(const QString& path, QString* error);
    bool IsOpen() const { return file_.isOpen(); }
    void Record(int connection, const std::string& utf8Text, const std::optional<Json::Value>& parsed);

private:
    QFile file_;
};

}  // namespace fw::sim
