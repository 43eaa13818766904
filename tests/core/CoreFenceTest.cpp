#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const char* path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// Qt headers are <QFoo>, <QtModule/...> or <qfoo.h>.
bool IncludesQt(const std::string& line) {
    static const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]|Qt[A-Za-z]*/|q[a-z]+\.h))");
    return std::regex_search(line, qtInclude);
}

TEST(CoreFence, PatternRecognisesQtIncludes) {
    EXPECT_TRUE(IncludesQt("#include <QString>"));
    EXPECT_TRUE(IncludesQt("  #  include \"QtCore/qglobal.h\""));
    EXPECT_TRUE(IncludesQt("#include <qobject.h>"));
    EXPECT_FALSE(IncludesQt("#include <json/json.h>"));
    EXPECT_FALSE(IncludesQt("#include \"net/Framer.h\""));
}

TEST(CoreFence, NoCoreFileIncludesAQtHeader) {
    const auto files = ReadLines(CORE_FILES_LIST);
    ASSERT_GT(files.size(), 5u);
    for (const auto& file : files) {
        std::ifstream in(file);
        ASSERT_TRUE(in) << file;
        int number = 0;
        for (std::string line; std::getline(in, line);) {
            ++number;
            EXPECT_FALSE(IncludesQt(line)) << file << ":" << number << ": " << line;
        }
    }
}

TEST(CoreFence, CoreLinksNoQtLibrary) {
    for (const auto& lib : ReadLines(CORE_LIBS_LIST))
        EXPECT_EQ(lib.find("Qt"), std::string::npos) << lib;
}

}  // namespace
