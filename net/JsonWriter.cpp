#include "net/JsonWriter.h"

#include <json/writer.h>

#include <cstdio>
#include <vector>

namespace fw {
namespace {

constexpr unsigned kRightMargin = 74;
constexpr unsigned kIndentSize = 3;

void AppendQuoted(std::string& out, const char* begin, const char* end) {
    out += '"';
    for (const char* c = begin; c != end; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        switch (byte) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04X", byte);
                    out += buf;
                } else {
                    out += *c;  // including every byte >= 0x80, unescaped
                }
        }
    }
    out += '"';
}

std::string Quoted(const std::string& s) {
    std::string out;
    out.reserve(s.size() + 2);
    AppendQuoted(out, s.data(), s.data() + s.size());
    return out;
}

// A straight port of the classic StyledWriter state machine, so that every layout decision
// (when an array goes on one line, where indentation is suppressed) matches byte for byte.
class StyledPrinter {
public:
    std::string Write(const Json::Value& root) {
        WriteValue(root);
        document_ += '\n';
        return std::move(document_);
    }

private:
    void WriteValue(const Json::Value& value) {
        switch (value.type()) {
            case Json::nullValue: PushValue("null"); break;
            case Json::intValue: PushValue(Json::valueToString(value.asLargestInt())); break;
            case Json::uintValue: PushValue(Json::valueToString(value.asLargestUInt())); break;
            case Json::realValue: PushValue(Json::valueToString(value.asDouble())); break;
            case Json::booleanValue: PushValue(Json::valueToString(value.asBool())); break;
            case Json::stringValue: {
                const char* begin = nullptr;
                const char* end = nullptr;
                std::string quoted;
                if (value.getString(&begin, &end)) AppendQuoted(quoted, begin, end);
                PushValue(quoted);
                break;
            }
            case Json::arrayValue: WriteArray(value); break;
            case Json::objectValue: {
                const Json::Value::Members members = value.getMemberNames();
                if (members.empty()) {
                    PushValue("{}");
                    break;
                }
                WriteWithIndent("{");
                Indent();
                for (auto it = members.begin();;) {
                    WriteWithIndent(Quoted(*it));
                    document_ += " : ";
                    WriteValue(value[*it]);
                    if (++it == members.end()) break;
                    document_ += ',';
                }
                Unindent();
                WriteWithIndent("}");
                break;
            }
        }
    }

    void WriteArray(const Json::Value& value) {
        const unsigned size = value.size();
        if (size == 0) {
            PushValue("[]");
            return;
        }
        if (IsMultilineArray(value)) {
            WriteWithIndent("[");
            Indent();
            const bool hasChildValue = !childValues_.empty();
            for (unsigned index = 0;;) {
                if (hasChildValue) {
                    WriteWithIndent(childValues_[index]);
                } else {
                    WriteIndent();
                    WriteValue(value[index]);
                }
                if (++index == size) break;
                document_ += ',';
            }
            Unindent();
            WriteWithIndent("]");
        } else {
            document_ += "[ ";
            for (unsigned index = 0; index < size; ++index) {
                if (index > 0) document_ += ", ";
                document_ += childValues_[index];
            }
            document_ += " ]";
        }
    }

    bool IsMultilineArray(const Json::Value& value) {
        const unsigned size = value.size();
        bool multiLine = size * 3 >= kRightMargin;
        childValues_.clear();
        for (unsigned index = 0; index < size && !multiLine; ++index) {
            const Json::Value& child = value[index];
            multiLine = (child.isArray() || child.isObject()) && !child.empty();
        }
        if (!multiLine) {
            childValues_.reserve(size);
            addChildValues_ = true;
            unsigned lineLength = 4 + (size - 1) * 2;
            for (unsigned index = 0; index < size; ++index) {
                WriteValue(value[index]);
                lineLength += static_cast<unsigned>(childValues_[index].length());
            }
            addChildValues_ = false;
            multiLine = lineLength >= kRightMargin;
        }
        return multiLine;
    }

    void PushValue(const std::string& value) {
        if (addChildValues_)
            childValues_.push_back(value);
        else
            document_ += value;
    }

    void WriteIndent() {
        if (!document_.empty()) {
            const char last = document_.back();
            if (last == ' ') return;  // already indented
            if (last != '\n') document_ += '\n';
        }
        document_ += indentString_;
    }

    void WriteWithIndent(const std::string& value) {
        WriteIndent();
        document_ += value;
    }

    void Indent() { indentString_ += std::string(kIndentSize, ' '); }
    void Unindent() { indentString_.resize(indentString_.size() - kIndentSize); }

    std::string document_;
    std::string indentString_;
    std::vector<std::string> childValues_;
    bool addChildValues_ = false;
};

}  // namespace

std::string WriteStyled(const Json::Value& root) { return StyledPrinter().Write(root); }

void AppendStyledMessage(std::string& out, std::string_view cmd,
                         std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
    out += "{\n   \"body\" : ";
    if (fields.size() == 0) {
        out += "{}";
    } else {
        out += '{';
        const char* separator = "\n      ";
        for (const auto& [key, value] : fields) {
            out += separator;
            AppendQuoted(out, key.data(), key.data() + key.size());
            out += " : ";
            AppendQuoted(out, value.data(), value.data() + value.size());
            separator = ",\n      ";
        }
        out += "\n   }";
    }
    out += ",\n   \"header\" : {\n      \"cmd\" : ";
    AppendQuoted(out, cmd.data(), cmd.data() + cmd.size());
    out += "\n   }\n}\n";
}

}  // namespace fw
