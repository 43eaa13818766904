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

TEST(Home, AUserHomeIsMadeOwnerOnlyWithADefaultConfigOnce) {
    test::TempHome dir;
    const Home home{dir.File("share/fenwarde"), true};
    ASSERT_TRUE(PrepareHome(home));
    struct stat info {};
    ASSERT_EQ(::stat(home.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(dir.File("share").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    const std::string conf = home.path + "/conf.ini";
    ASSERT_EQ(::stat(conf.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const LoginConfig config = ReadConfig(conf);
    EXPECT_EQ(config.server, "");
    EXPECT_EQ(config.dataName, "fenwarde");
    EXPECT_EQ(config.port, 1502);
    EXPECT_EQ(config.webPort, 89);
    EXPECT_EQ(config.writeLog, 0);

    // The user's own settings are never replaced; a lost conf.ini comes back with the defaults.
    test::WriteFile(conf, "[login]\nServer=10.1.1.1\n");
    ASSERT_TRUE(PrepareHome(home));
    EXPECT_EQ(ReadConfig(conf).server, "10.1.1.1");
    ASSERT_EQ(::unlink(conf.c_str()), 0);
    ASSERT_TRUE(PrepareHome(home));
    EXPECT_EQ(test::ReadFile(conf), kDefaultConfig);

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
