// The registry as the program reads it; on this system its stand-in, the
// settings files of the user's configuration folder.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/registry.h"
#include "temp_install.h"

namespace vt::platform {
namespace {

using testing::TempFolder;

// Points XDG_CONFIG_HOME at `folder` for the life of the object.
class ConfigHome {
 public:
  explicit ConfigHome(const std::string& folder) {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) previous_ = old, had_ = true;
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  ~ConfigHome() {
    if (had_) {
      ::setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
  }

 private:
  std::string previous_;
  bool had_ = false;
};

constexpr const char* kKey = "SOFTWARE\\VELTRANI\\TESSARO";

// A settings file for the suite's key with `body` as its content.
void writeSuiteSettings(const TempFolder& folder, const std::string& body) {
  folder.write("config/VELTRANI/TESSARO.conf", body);
}

// The text of value `name`, read as the suite reads it: type and size first,
// then the data into a buffer of that size.
std::string readText(RegistryKey key, const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (!registryQueryInfo(key, name, type, size) || type != kRegText) return "<absent>";
  std::string buffer(size, '\0');
  if (!registryQueryText(key, name, buffer)) return "<unreadable>";
  return buffer.substr(0, buffer.find('\0'));
}

TEST(RegistryStandIn, TheSuiteKeyIsTheTessaroSettingsFileOfTheVeltraniFolder) {
  TempFolder folder;
  ConfigHome home(folder.path() + "/config");
  EXPECT_EQ(registrySettingsFile(kKey), folder.path() + "/config/VELTRANI/TESSARO.conf");
  EXPECT_EQ(registrySettingsFile("Software/Altro/Prodotto"), folder.path() + "/config/Altro/Prodotto.conf");
  EXPECT_EQ(registrySettingsFile("SOFTWARE\\VELTRANI"), "");
  EXPECT_EQ(registrySettingsFile("SYSTEM\\VELTRANI\\TESSARO"), "");

  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(registrySettingsFile(kKey), std::string(std::getenv("HOME")) + "/.config/VELTRANI/TESSARO.conf");
  ::setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(registrySettingsFile(kKey), std::string(std::getenv("HOME")) + "/.config/VELTRANI/TESSARO.conf");
}

TEST(RegistryStandIn, GeneralSectionValuesAreTheKeysTextValues_NamesMatchedWithoutCase) {
  TempFolder folder;
  ConfigHome home(folder.path() + "/config");
  writeSuiteSettings(folder,
                     "; impostazioni della suite\r\n"
                     "[Altro]\r\n"
                     "PERCORSOARCHIVI=/non/questo\r\n"
                     "[General]\r\n"
                     "  PercorsoArchivi =  C:\\PWELKIN\\ARCHIVI  \r\n"
                     "PERCORSOPROGRAMMI=\" /con spazi/ \"\n"
                     "# commento\n"
                     "VUOTO=\n");
  RegistryKey key = 0;
  ASSERT_TRUE(registryOpenKey(kCurrentUser, kKey, key));
  EXPECT_EQ(readText(key, "PERCORSOARCHIVI"), "C:\\PWELKIN\\ARCHIVI");
  EXPECT_EQ(readText(key, "percorsoprogrammi"), " /con spazi/ ");
  EXPECT_EQ(readText(key, "VUOTO"), "");
  EXPECT_EQ(readText(key, "ASSENTE"), "<absent>");

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_TRUE(registryQueryInfo(key, "PERCORSOARCHIVI", type, size));
  EXPECT_EQ(size, std::string("C:\\PWELKIN\\ARCHIVI").size() + 1) << "the size counts the closing NUL";
  std::string tooSmall(5, '\0');
  EXPECT_FALSE(registryQueryText(key, "PERCORSOARCHIVI", tooSmall));

  registryCloseKey(key);
  EXPECT_EQ(readText(key, "PERCORSOARCHIVI"), "<absent>") << "a closed key reads nothing";
}

TEST(RegistryStandIn, DwordValuesAreNumbers_AndNumbersAreNotText) {
  TempFolder folder;
  ConfigHome home(folder.path() + "/config");
  writeSuiteSettings(folder, "[General]\nCONTATORE=dword:0000001f\nFALSO=dword:12\n");
  RegistryKey key = 0;
  ASSERT_TRUE(registryOpenKey(kCurrentUser, kKey, key));
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_TRUE(registryQueryInfo(key, "CONTATORE", type, size));
  EXPECT_EQ(type, kRegNumber);
  EXPECT_EQ(size, 4u);
  std::uint32_t number = 0;
  EXPECT_TRUE(registryQueryNumber(key, "CONTATORE", number));
  EXPECT_EQ(number, 31u);
  std::string buffer(16, '\0');
  EXPECT_FALSE(registryQueryText(key, "CONTATORE", buffer));
  EXPECT_EQ(readText(key, "FALSO"), "dword:12") << "not eight hexadecimal digits: plain text";
  EXPECT_FALSE(registryQueryNumber(key, "FALSO", number));
  registryCloseKey(key);
}

TEST(RegistryStandIn, AnAbsentFileOrAnotherRootIsAnAbsentKey) {
  TempFolder folder;
  ConfigHome home(folder.path() + "/config");
  RegistryKey key = 0;
  EXPECT_FALSE(registryOpenKey(kCurrentUser, kKey, key));
  writeSuiteSettings(folder, "[General]\nPERCORSOARCHIVI=/x\n");
  constexpr RegistryKey kLocalMachine = 0x80000002u;
  EXPECT_FALSE(registryOpenKey(kLocalMachine, kKey, key));
  EXPECT_FALSE(registryOpenKey(kCurrentUser, "SOFTWARE\\VELTRANI\\ALTRO", key));
  EXPECT_TRUE(registryOpenKey(kCurrentUser, "software\\VELTRANI\\TESSARO", key));
  registryCloseKey(key);
}

}  // namespace
}  // namespace vt::platform
