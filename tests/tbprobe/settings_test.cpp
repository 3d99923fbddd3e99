// The settings reader: the INI forms a user's file may take, and where the
// file is looked for.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "table_fixture.h"
#include "tablebase_settings.h"

namespace {

std::string Value(const std::string& path, const char* section, const char* key, bool* found = nullptr) {
  char text[SettingTextLength + 1];
  int32_t result = ReadIniValue(path.c_str(), section, key, text, sizeof text);
  if (found) *found = result == 1;
  return text;
}

TEST(Settings, ReadsTheFormsAUserWrites) {
  ScratchDirectory scratch;
  std::string path = scratch.File("ChssBase.ini");
  WriteText(path,
            "; the host's own settings\r\n"
            "[Engine]\r\n"
            "Path=/not/this/one\r\n"
            "\r\n"
            "   [ tablebase ]   \r\n"
            "# a comment line\r\n"
            "  path   =   /tables/a;/tables/b   \r\n"
            "CacheSizeKB= 4096\r\n"
            "Path=/second/occurrence\r\n"
            "[Other]\r\n"
            "CacheSizeKB=1\r\n");
  EXPECT_EQ(Value(path, "Tablebase", "Path"), "/tables/a;/tables/b");
  EXPECT_EQ(Value(path, "Tablebase", "CacheSizeKB"), "4096");
  EXPECT_EQ(Value(path, "Engine", "Path"), "/not/this/one");
  bool found = true;
  EXPECT_EQ(Value(path, "Tablebase", "Missing", &found), "");
  EXPECT_FALSE(found);
}

TEST(Settings, QuotesEmptyValuesAndOddLines) {
  ScratchDirectory scratch;
  std::string path = scratch.File("x.ini");
  WriteText(path, "\xEF\xBB\xBF[Tablebase]\nPath=\"/with space/t\"\nCacheSizeKB=\nno equals sign here\n=orphan\n"
                  "Last=unterminated");
  EXPECT_EQ(Value(path, "Tablebase", "Path"), "/with space/t");
  bool found = false;
  EXPECT_EQ(Value(path, "Tablebase", "CacheSizeKB", &found), "");
  EXPECT_TRUE(found);
  EXPECT_EQ(Value(path, "Tablebase", "Last"), "unterminated");
}

TEST(Settings, LongValuesAreCutAt510Characters) {
  ScratchDirectory scratch;
  std::string path = scratch.File("x.ini");
  std::string longValue(700, 'd');
  WriteText(path, "[Tablebase]\nPath=" + longValue + "\n");
  EXPECT_EQ(Value(path, "Tablebase", "Path"), std::string(510, 'd'));
}

TEST(Settings, MissingFileOrSectionGivesEmptyText) {
  ScratchDirectory scratch;
  bool found = true;
  EXPECT_EQ(Value(scratch.File("absent.ini"), "Tablebase", "Path", &found), "");
  EXPECT_FALSE(found);
  std::string path = scratch.File("x.ini");
  WriteText(path, "Path=/outside/any/section\n[Tablebases]\nPath=/near/miss\n");
  EXPECT_EQ(Value(path, "Tablebase", "Path"), "");
}

TEST(Settings, NumbersReadTheLeadingDigitsAndSaturate) {
  // Blanks and a sign before the digits; anything after them is ignored.
  EXPECT_EQ(SettingNumber("4096"), 4096);
  EXPECT_EQ(SettingNumber(" \t+2048 KB"), 2048);
  EXPECT_EQ(SettingNumber("-17x"), -17);
  EXPECT_EQ(SettingNumber("0012"), 12);
  // No digits where they must start: 0.
  EXPECT_EQ(SettingNumber(""), 0);
  EXPECT_EQ(SettingNumber("KB 4096"), 0);
  EXPECT_EQ(SettingNumber("- 5"), 0);
  EXPECT_EQ(SettingNumber("+-5"), 0);
  EXPECT_EQ(SettingNumber("\n5"), 0);
  // The ends of the range, and beyond them.
  EXPECT_EQ(SettingNumber("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(SettingNumber("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(SettingNumber("9223372036854775808"), INT64_MAX);
  EXPECT_EQ(SettingNumber("-9223372036854775809"), INT64_MIN);
  EXPECT_EQ(SettingNumber("99999999999999999999999"), INT64_MAX);
  EXPECT_EQ(SettingNumber("-99999999999999999999999"), INT64_MIN);
  EXPECT_EQ(SettingNumber(("1" + std::string(600, '0') + "junk").c_str()), INT64_MAX);
}

// Changes into a directory for the life of the object.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) {
    if (!getcwd(saved_, sizeof saved_)) saved_[0] = 0;
    EXPECT_EQ(chdir(path.c_str()), 0);
  }
  ~WorkingDirectory() {
    if (saved_[0]) {
      EXPECT_EQ(chdir(saved_), 0);
    }
  }

 private:
  char saved_[PATH_MAX];
};

TEST(Settings, TheVariableNamesTheFileElseTheCurrentDirectory) {
  ScratchDirectory scratch;
  WriteText(scratch.File("ChssBase.ini"), "[Tablebase]\nPath=/from/current\n");
  std::string named = scratch.File("named.ini");
  WriteText(named, "[Tablebase]\nPath=/from/variable\n");
  WorkingDirectory inside(scratch.Path());
  char text[SettingTextLength + 1];

  setenv("OBRANTULE_SETTINGS", named.c_str(), 1);
  ReadTablebaseSetting("Path", text, sizeof text);
  EXPECT_STREQ(text, "/from/variable");

  // A named file that is missing is not replaced by another one.
  setenv("OBRANTULE_SETTINGS", scratch.File("absent.ini").c_str(), 1);
  ReadTablebaseSetting("Path", text, sizeof text);
  EXPECT_STREQ(text, "");

  unsetenv("OBRANTULE_SETTINGS");
  ReadTablebaseSetting("Path", text, sizeof text);
  EXPECT_STREQ(text, "/from/current");
}

}  // namespace
