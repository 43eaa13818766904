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

TEST(CoreFence, NoCoreFileIncludesAQtHeaderNorLinksAQtLibrary) {
    for (const char* qt : {"#include <QString>", "  #  include \"QtCore/qglobal.h\"", "#include <qobject.h>"})
        ASSERT_TRUE(IncludesQt(qt)) << qt;  // the fence sees every form
    ASSERT_FALSE(IncludesQt("#include \"net/Framer.h\""));
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
    for (const auto& lib : ReadLines(CORE_LIBS_LIST)) EXPECT_EQ(lib.find("Qt"), std::string::npos) << lib;
}

}  // namespace
