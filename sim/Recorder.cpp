#include "sim/Recorder.h"

#include <QDateTime>

#include <json/writer.h>

namespace fw::sim {

bool Recorder::Open(const QString& path, QString* error) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error) *error = QStringLiteral("cannot write the record file %1: %2").arg(path, file_.errorString());
        return false;
    }
    return true;
}

void Recorder::Record(int connection, const std::string& utf8Text, const std::optional<Json::Value>& parsed) {
    if (!file_.isOpen()) return;
    Json::Value line(Json::objectValue);
    line["time"] = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toStdString();
    line["connection"] = connection;
    if (parsed) line["document"] = *parsed;
    else line["raw"] = utf8Text;
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    const std::string text = Json::writeString(builder, line) + "\n";
    file_.write(text.data(), static_cast<qint64>(text.size()));
    file_.flush();
}

}  // namespace fw::sim
