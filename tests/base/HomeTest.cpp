#include <gtest/gtest.h>

#include <sys/stat.h>

#include "base/Config.h"
#include "base/Home.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

TEST(Home, OptionThenVariableThenProgramFolderUnlessInstalled) {
    const struct {
        HomePlaces places;
        std::string path;
        bool perUser;
    } cases[] = {
        {{"/opt", "/env", "/bin", true, false, "/xdg", "/home/u"}, "/opt", false},
        {{"", "/env", "/bin", false, true, "/xdg", "/home/u"}, "/env", false},
        // A source checkout: its build folder, as always.
        {{"", "", "/src/build", true, false, "/xdg", "/home/u"}, "/src/build", false},
        // Installed: a folder the user cannot write, or the bin/ of an installation even for root.
        {{"", "", "/usr/bin", false, false, "/xdg", "/home/u"}, "/xdg/fenwarde", true},
        {{"", "", "/usr/bin", true, true, "", "/root"}, "/root/.local/share/fenwarde", true},
        {{"", "", "/usr/bin", false, true, "relative/data", "/home/u"}, "/home/u/.local/share/fenwarde", true},
        // Nowhere of the user's own: the program's folder, whose warning then names it.
        {{"", "", "/usr/bin", false, true, "", ""}, "/usr/bin", false},
    };
    for (const auto& c : cases) {
        const Home home = ChooseHome(c.places);
        EXPECT_EQ(home.path, c.path);
        EXPECT_EQ(home.perUser, c.perUser) << c.path;
    }
}

// A user's home and conf.ini are owner-only; the conf.ini is the default one, written once: the
// user's own settings are never replaced, a lost conf.ini comes back.
TEST(Home, AUserHomeIsMadeOwnerOnlyWithADefaultConfigOnce) {
    const auto mode = [](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0u;
    };
    test::TempHome dir;
    const Home home{dir.File("share/fenwarde"), true};
    const std::string conf = home.path + "/conf.ini";
    ASSERT_TRUE(PrepareHome(home));
    EXPECT_EQ(std::vector<unsigned>({mode(dir.File("share")), mode(home.path), mode(conf)}),
              std::vector<unsigned>({0700u, 0700u, 0600u}));
    EXPECT_EQ(ReadConfig(conf).dataName, "fenwarde");
    test::WriteFile(conf, "[login]\nServer=10.1.1.1\n");
    ASSERT_TRUE(PrepareHome(home));
    EXPECT_EQ(ReadConfig(conf).server, "10.1.1.1");
    ASSERT_EQ(::unlink(conf.c_str()), 0);
    ASSERT_TRUE(PrepareHome(home));
    EXPECT_EQ(ReadConfig(conf).dataName, "fenwarde");

    // --home and FENWARDE_HOME folders are made as before, with no conf.ini of ours.
    const Home given{dir.File("given/deeper"), false};
    ASSERT_TRUE(PrepareHome(given));
    EXPECT_EQ(::access((given.path + "/conf.ini").c_str(), F_OK), -1);
    EXPECT_FALSE(PrepareHome({dir.File("share/fenwarde/conf.ini/x"), true}));  // a file in the way
}

TEST(Home, WarnsOnceNamingTheFolderWhenItCannotKeepItsFiles) {
    test::TempHome dir;
    EXPECT_EQ(HomeWriteWarning(dir.Path(), dir.File("bus.mdb")), "");
    test::WriteFile(dir.File("plain"), "x");
    const std::string notAFolder = HomeWriteWarning(dir.File("plain"), "");
    EXPECT_EQ(notAFolder, "无法写入程序文件夹：" + dir.File("plain") + "\n设置、日志和数据库将无法保存。");
    ::mkdir(dir.File("conf.ini").c_str(), 0700);  // there, but not a file that can be written
    EXPECT_EQ(HomeWriteWarning(dir.Path(), ""),
              "无法写入程序文件夹：" + dir.Path() + "\n设置（conf.ini）将无法保存。");
}

}  // namespace
}  // namespace fw
