#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/Config.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

class Config : public ::testing::Test {
protected:
    LoginConfig Read(const std::string& text) {
        test::WriteFile(path, text);
        return ReadConfig(path);
    }
    // The file as WriteConfig leaves it.
    std::string Written(const LoginConfig& c) {
        EXPECT_TRUE(WriteConfig(path, c));
        return test::ReadFile(path);
    }

    test::TempHome dir;
    const std::string path = dir.File("conf.ini");
};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(Config, ReadsEveryKeyWithItsRules) {
    const LoginConfig defaults = ReadConfig(path);  // no file
    EXPECT_EQ(std::tie(defaults.server, defaults.charset), std::tuple("", "GBK"));
    EXPECT_EQ(std::tuple(defaults.writeLog, defaults.port, defaults.webPort), std::tuple(0, 1502, 89));

    const LoginConfig c = Read("[login]\nServer=127.0.0.1\nUser=调度员\nPass=secret\nRemember=1\nDataName=busdb\n"
                               "DataBasePsw=k'ey\nWrite=yes\nPort=15020\nWebPort=99999\nCharset=UTF-8\n");
    EXPECT_EQ(std::tie(c.server, c.user, c.password, c.remember, c.dataName, c.dataBasePassword, c.charset),
              std::tuple("127.0.0.1", "调度员", "secret", "1", "busdb", "k'ey", "UTF-8"));
    EXPECT_EQ(c.writeLog, 0);  // "yes" is not a number
    EXPECT_EQ(c.port, 15020);
    EXPECT_EQ(c.webPort, 89);  // out of range falls back
}

TEST_F(Config, LongValuesAreCutAt254BytesOnACharacterBoundary) {
    std::string user = "a";
    for (int i = 0; i < 90; ++i) user += "调";  // three bytes each
    const LoginConfig c = Read("[login]\nServer=" + std::string(300, 'a') + "\nUser=" + user + "\n");
    EXPECT_EQ(c.server, std::string(254, 'a'));
    EXPECT_EQ(c.user, user.substr(0, 1 + 84 * 3));  // the 85th character would cross 254
}

TEST_F(Config, RoundTripKeepsDatabaseKeysAndUnknownLines) {
    LoginConfig c = Read("; written by the installer\r\n[login]\r\nServer=old\r\nDataName = busdb \r\n"
                         "DataBasePsw=\"p w\"\r\nPass=stale\r\nRemember=1\r\nColour=blue\r\n[extra]\r\nk=v\r\n");
    c.server = "10.1.1.1";
    c.user = "张三";
    c.password = "typed";
    c.remember = "0";
    c.writeLog = 1;
    EXPECT_EQ(Written(c),
              "; written by the installer\r\n[login]\r\nServer=10.1.1.1\r\nDataName = busdb \r\n"
              "DataBasePsw=\"p w\"\r\nPass=\r\nRemember=0\r\nColour=blue\r\nUser=张三\r\n"
              "Write=1\r\n[extra]\r\nk=v\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const LoginConfig back = ReadConfig(path);
    EXPECT_EQ(std::tie(back.dataBasePassword, back.password, back.writeLog), std::tuple("p w", "", 1));

    // A remembered password with blanks or quotes at its edges comes back as it was typed.
    for (const char* password : {" pw", "pw ", "\"pw\""}) {
        c.password = password;
        c.remember = "1";
        Written(c);
        EXPECT_EQ(ReadConfig(path).password, password);
    }
}

TEST_F(Config, PasswordIsWrittenOnlyWhenRememberIsExactlyOne) {
    for (const char* remember : {"1", "0", "", "01", "true"}) {
        LoginConfig c;
        c.password = "pw";
        c.remember = remember;
        Written(c);
        EXPECT_EQ(ReadConfig(path).password, std::string(remember) == "1" ? "pw" : "") << remember;
    }
}

TEST_F(Config, NewerKeysAreReadAndWrittenOnlyOnceTheyMeanSomething) {
    LoginConfig c = ReadConfig(path);
    EXPECT_EQ(std::tuple(c.autoReconnect, c.page, c.detection, c.matching),
              std::tuple(true, -1, DetectionRule::FirstFix, Matching::Nearest));
    const std::string untouched = Written(c);
    for (const char* key : {"Port", "WebPort", "Page", "AutoReconnect", "MinTurnaround", "DefaultTripTime",
                            "TrackTimeout", "Detection", "Matching", "OnTimeEarly", "OnTimeLate", "CsvCharset",
                            "ExportFolder"})
        EXPECT_FALSE(Has(untouched, key)) << key;

    c.webPort = 8089;
    c.page = 3;
    c.minTurnaround = 300;
    c.defaultTripTime = 2400;
    c.detection = DetectionRule::Interpolated;
    c.matching = Matching::Sequence;
    c.onTimeLate = 300;
    c.csvCharset = "GBK";
    c.exportFolder = "/home/调度员/月报 " + std::string(300, 'x');
    const std::string written = Written(c);
    EXPECT_TRUE(Has(written, "Page=monitor") && Has(written, "Detection=interpolated") &&
                Has(written, "Matching=sequence"))
        << written;
    EXPECT_FALSE(Has(written, "OnTimeEarly"));
    LoginConfig back = Read(written + "AutoReconnect=0\n");
    EXPECT_EQ(std::tuple(back.webPort, back.port, back.page, back.minTurnaround, back.defaultTripTime, back.autoReconnect,
                         back.detection),
              std::tuple(8089, 1502, 3, 300, 2400, false, DetectionRule::Interpolated));
    EXPECT_EQ(std::tuple(back.onTimeEarly, back.onTimeLate, back.csvCharset, back.matching),
              std::tuple(60, 300, "GBK", Matching::Sequence));
    EXPECT_EQ(back.exportFolder, c.exportFolder);  // not cut at 254 bytes

    // Back at their defaults, keys already in the file stay there, now saying so; an unknown
    // value reads as the default.
    back.minTurnaround = 180;
    back.detection = DetectionRule::FirstFix;
    back.matching = Matching::Nearest;
    const std::string reset = Written(back);
    EXPECT_TRUE(Has(reset, "MinTurnaround=180") && Has(reset, "Detection=first-fix") &&
                Has(reset, "Matching=nearest"))
        << reset;
    EXPECT_EQ(Read("[login]\nDetection= Interpolated \n").detection, DetectionRule::Interpolated);
    EXPECT_EQ(Read("[login]\nDetection=exact\n").detection, DetectionRule::FirstFix);
    EXPECT_EQ(Read("[login]\nMatching= SEQUENCE\n").matching, Matching::Sequence);
    EXPECT_EQ(Read("[login]\nMatching=order\n").matching, Matching::Nearest);
}

// MinTurnaround and the on-time window read the same way; TrackTimeout takes 5 to 600.
TEST_F(Config, SecondsKeysAreWholeSecondsUpToADay) {
    const struct {
        const char* value;
        int seconds;
    } cases[] = {{"240", 240}, {" 0 ", 0}, {"86400", 86400}, {"86401", -1}, {"-5", -1}, {"3m", -1}, {"", -1}};
    for (const auto& c : cases) {
        const LoginConfig read =
            Read(std::string("[login]\nMinTurnaround=") + c.value + "\nOnTimeEarly=" + c.value + "\n");
        EXPECT_EQ(read.minTurnaround, c.seconds < 0 ? 180 : c.seconds) << c.value;
        EXPECT_EQ(read.onTimeEarly, c.seconds < 0 ? 60 : c.seconds) << c.value;
    }
    for (const auto& [value, seconds] : {std::pair{"5", 5}, {"600", 600}, {" 90 ", 90}, {"4", 30}, {"601", 30}, {"x", 30}})
        EXPECT_EQ(Read(std::string("[login]\nTrackTimeout=") + value + "\n").trackTimeout, seconds) << value;
    LoginConfig slow;
    slow.trackTimeout = 120;
    EXPECT_TRUE(Has(Written(slow), "TrackTimeout=120"));
}

TEST(ConfigPort, AsTypedInTheSettings) {
    for (const char* bad : {"", "0", "65536", "-1", "80a", "8 0", "0x50", "999999"})
        EXPECT_FALSE(ParsePort(bad).has_value()) << bad;
    EXPECT_EQ(ParsePort(" 1502 "), 1502);
    EXPECT_EQ(ParsePort("65535"), 65535);
    EXPECT_EQ(ParsePort("00089"), 89);
}

TEST_F(Config, FailedWritesAreReportedAndReplaceNothing) {
    EXPECT_FALSE(WriteConfig("/nonexistent/folder/conf.ini", LoginConfig{}));
    // A folder where the file should be: it exists but cannot be read as a file.
    ::mkdir(path.c_str(), 0700);
    EXPECT_FALSE(WriteConfig(path, LoginConfig{}));
}

}  // namespace
}  // namespace fw
