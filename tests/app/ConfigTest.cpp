#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/Config.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

TEST(Config, ReadsEveryKeyWithItsRules) {
    test::TempHome dir;
    const LoginConfig defaults = ReadConfig(dir.File("conf.ini"));  // no file
    EXPECT_EQ(defaults.server, "");
    EXPECT_EQ(defaults.writeLog, 0);
    EXPECT_EQ(defaults.port, 1502);
    EXPECT_EQ(defaults.webPort, 89);
    EXPECT_EQ(defaults.charset, "GBK");

    test::WriteFile(dir.File("conf.ini"),
                    "[login]\nServer=127.0.0.1\nUser=调度员\nPass=secret\nRemember=1\n"
                    "DataName=busdb\nDataBasePsw=k'ey\nWrite=yes\nPort=15020\nWebPort=99999\n"
                    "Charset=UTF-8\n");
    const LoginConfig c = ReadConfig(dir.File("conf.ini"));
    EXPECT_EQ(c.server, "127.0.0.1");
    EXPECT_EQ(c.user, "调度员");
    EXPECT_EQ(c.password, "secret");
    EXPECT_EQ(c.remember, "1");
    EXPECT_EQ(c.dataName, "busdb");
    EXPECT_EQ(c.dataBasePassword, "k'ey");
    EXPECT_EQ(c.writeLog, 0);  // "yes" is not a number
    EXPECT_EQ(c.port, 15020);
    EXPECT_EQ(c.webPort, 89);  // out of range falls back
    EXPECT_EQ(c.charset, "UTF-8");
}

TEST(Config, LongValuesAreCutAt254BytesOnACharacterBoundary) {
    test::TempHome dir;
    std::string user = "a";
    for (int i = 0; i < 90; ++i) user += "调";  // three bytes each
    test::WriteFile(dir.File("conf.ini"),
                    "[login]\nServer=" + std::string(300, 'a') + "\nUser=" + user + "\n");
    const LoginConfig c = ReadConfig(dir.File("conf.ini"));
    EXPECT_EQ(c.server, std::string(254, 'a'));
    EXPECT_EQ(c.user, user.substr(0, 1 + 84 * 3));  // the 85th character would cross 254
}

TEST(Config, RoundTripKeepsDatabaseKeysAndUnknownLines) {
    test::TempHome dir;
    const std::string path = dir.File("conf.ini");
    const std::string original =
        "; written by the installer\r\n[login]\r\nServer=old\r\nDataName = busdb \r\n"
        "DataBasePsw=\"p w\"\r\nPass=stale\r\nRemember=1\r\nColour=blue\r\n[extra]\r\nk=v\r\n";
    test::WriteFile(path, original);
    LoginConfig c = ReadConfig(path);
    c.server = "10.1.1.1";
    c.user = "张三";
    c.password = "typed";
    c.remember = "0";
    c.writeLog = 1;
    ASSERT_TRUE(WriteConfig(path, c));
    EXPECT_EQ(test::ReadFile(path),
              "; written by the installer\r\n[login]\r\nServer=10.1.1.1\r\nDataName = busdb \r\n"
              "DataBasePsw=\"p w\"\r\nPass=\r\nRemember=0\r\nColour=blue\r\nUser=张三\r\n"
              "Write=1\r\n[extra]\r\nk=v\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const LoginConfig back = ReadConfig(path);
    EXPECT_EQ(back.dataBasePassword, "p w");
    EXPECT_EQ(back.password, "");
    EXPECT_EQ(back.writeLog, 1);

    // A remembered password with blanks or quotes at its edges comes back as it was typed.
    for (const char* password : {" pw", "pw ", "\"pw\""}) {
        c.password = password;
        c.remember = "1";
        ASSERT_TRUE(WriteConfig(path, c));
        EXPECT_EQ(ReadConfig(path).password, password);
    }
}

TEST(Config, PasswordIsWrittenOnlyWhenRememberIsExactlyOne) {
    for (const char* remember : {"1", "0", "", "01", "true"}) {
        test::TempHome dir;
        LoginConfig c;
        c.password = "pw";
        c.remember = remember;
        ASSERT_TRUE(WriteConfig(dir.File("conf.ini"), c));
        EXPECT_EQ(ReadConfig(dir.File("conf.ini")).password,
                  std::string(remember) == "1" ? "pw" : "")
            << remember;
    }
}

TEST(Config, NewerKeysAreReadAndWrittenOnlyOnceTheyMeanSomething) {
    test::TempHome dir;
    const std::string path = dir.File("conf.ini");
    LoginConfig c = ReadConfig(path);
    EXPECT_TRUE(c.autoReconnect);
    EXPECT_EQ(c.page, -1);
    ASSERT_TRUE(WriteConfig(path, c));
    EXPECT_EQ(c.detection, DetectionRule::FirstFix);
    for (const char* key : {"Port", "WebPort", "Page", "AutoReconnect", "MinTurnaround", "Detection",
                            "OnTimeEarly", "OnTimeLate", "CsvCharset", "ExportFolder"})
        EXPECT_EQ(test::ReadFile(path).find(key), std::string::npos) << key;

    c.webPort = 8089;
    c.page = 3;
    c.minTurnaround = 300;
    c.detection = DetectionRule::Interpolated;
    c.onTimeLate = 300;
    c.csvCharset = "GBK";
    c.exportFolder = "/home/调度员/月报 " + std::string(300, 'x');
    ASSERT_TRUE(WriteConfig(path, c));
    test::WriteFile(path, test::ReadFile(path) + "AutoReconnect=0\n");
    LoginConfig back = ReadConfig(path);
    EXPECT_EQ(back.webPort, 8089);
    EXPECT_EQ(back.port, 1502);
    EXPECT_EQ(back.page, 3);
    EXPECT_EQ(back.minTurnaround, 300);
    EXPECT_FALSE(back.autoReconnect);
    EXPECT_NE(test::ReadFile(path).find("Page=monitor"), std::string::npos);
    EXPECT_EQ(back.onTimeEarly, 60);
    EXPECT_EQ(back.onTimeLate, 300);
    EXPECT_EQ(back.csvCharset, "GBK");
    EXPECT_EQ(back.exportFolder, c.exportFolder);  // not cut at 254 bytes
    EXPECT_EQ(test::ReadFile(path).find("OnTimeEarly"), std::string::npos);
    EXPECT_EQ(back.detection, DetectionRule::Interpolated);
    EXPECT_NE(test::ReadFile(path).find("Detection=interpolated"), std::string::npos);

    // Back at their defaults, keys already in the file stay there, now saying so; an unknown
    // value reads as the default.
    back.minTurnaround = 180;
    back.detection = DetectionRule::FirstFix;
    ASSERT_TRUE(WriteConfig(path, back));
    EXPECT_NE(test::ReadFile(path).find("MinTurnaround=180"), std::string::npos);
    EXPECT_NE(test::ReadFile(path).find("Detection=first-fix"), std::string::npos);
    for (auto [line, rule] : {std::pair{"Detection= Interpolated \n", DetectionRule::Interpolated},
                              std::pair{"Detection=exact\n", DetectionRule::FirstFix}}) {
        test::WriteFile(path, std::string("[login]\n") + line);
        EXPECT_EQ(ReadConfig(path).detection, rule) << line;
    }
}

// MinTurnaround and the on-time window read the same way.
TEST(Config, SecondsKeysAreWholeSecondsUpToADay) {
    const struct {
        const char* value;
        int seconds;
    } cases[] = {{"240", 240}, {" 0 ", 0}, {"86400", 86400}, {"86401", -1}, {"-5", -1}, {"3m", -1}, {"", -1}};
    for (const auto& c : cases) {
        test::TempHome dir;
        test::WriteFile(dir.File("conf.ini"), std::string("[login]\nMinTurnaround=") + c.value +
                                                  "\nOnTimeEarly=" + c.value + "\n");
        const LoginConfig read = ReadConfig(dir.File("conf.ini"));
        EXPECT_EQ(read.minTurnaround, c.seconds < 0 ? 180 : c.seconds) << c.value;
        EXPECT_EQ(read.onTimeEarly, c.seconds < 0 ? 60 : c.seconds) << c.value;
    }
}

TEST(Config, PortsAsTypedInTheSettings) {
    for (const char* bad : {"", "0", "65536", "-1", "80a", "8 0", "0x50", "999999"})
        EXPECT_FALSE(ParsePort(bad).has_value()) << bad;
    EXPECT_EQ(ParsePort(" 1502 "), 1502);
    EXPECT_EQ(ParsePort("65535"), 65535);
    EXPECT_EQ(ParsePort("00089"), 89);
}

TEST(Config, FailedWritesAreReportedAndReplaceNothing) {
    EXPECT_FALSE(WriteConfig("/nonexistent/folder/conf.ini", LoginConfig{}));
    test::TempHome dir;
    // A folder where the file should be: it exists but cannot be read as a file.
    ::mkdir(dir.File("conf.ini").c_str(), 0700);
    EXPECT_FALSE(WriteConfig(dir.File("conf.ini"), LoginConfig{}));
}

}  // namespace
}  // namespace fw
