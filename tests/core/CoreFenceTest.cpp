#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Qt headers are <QFoo>, <QtModule/...> or <qfoo.h>.
bool IncludesQt(const std::string& line) {
    static const std::regex qtInclude(R"(^\s*#\s*include\s*[<"](Q[A-Za-z]|Qt[A-Za-z]*/|q[a-z]+\.h))");
    return std::regex_search(line, qtInclude);
}

TEST(CoreFence, NoCoreFileIncludesAQtHeaderNorLinksAQtLibrary) {
    ASSERT_TRUE(IncludesQt("#include <QString>") && IncludesQt("  #  include \"QtCore/qglobal.h\"") &&
                IncludesQt("#include <qobject.h>") && !IncludesQt("#include \"net/Framer.h\""));  // every form
    const auto files = ReadLines(CORE_FILES_LIST);
    ASSERT_GT(files.size(), 5u);
    for (const auto& file : files) {
        const auto lines = ReadLines(file);
        EXPECT_FALSE(lines.empty()) << file;
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_FALSE(IncludesQt(lines[i])) << file << ":" << i + 1 << ": " << lines[i];
    }
    for (const auto& lib : ReadLines(CORE_LIBS_LIST)) EXPECT_EQ(lib.find("Qt"), std::string::npos) << lib;
}

}  // namespace
