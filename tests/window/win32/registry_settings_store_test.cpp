// The settings in the registry, under a key of the test's own that is removed at the end.

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/windows_api.h"
#include "window/win32/registry_settings_store.h"

namespace plovane::test {
namespace {

struct TestKey {
  TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, name.c_str()); }
  ~TestKey() { RegDeleteTreeW(HKEY_CURRENT_USER, name.c_str()); }
  const std::wstring name =
      L"Software\\Kestrune\\PlovaneTest" + std::to_wstring(GetCurrentProcessId());
};

TEST(RegistrySettingsStoreTest, TextValuesRoundTripAndAreSharedByKey) {
  const TestKey key;
  RegistrySettingsStore store(key.name);
  RegistrySettingsStore other(key.name);
  EXPECT_EQ(store.read("ListView1", "the default"), "the default");  // no key yet

  const std::string unicode = "C:\\Größe\\日本\\😀\\";
  store.write("ListView1", unicode);
  EXPECT_EQ(store.read("ListView1", ""), unicode);
  EXPECT_EQ(other.read("ListView1", ""), unicode);
  EXPECT_EQ(other.read("ListView2", "missing"), "missing");
  other.write("ListView1", "");
  EXPECT_EQ(store.read("ListView1", "the default"), "");
  const std::string longText(40'000, 'x');
  other.write("LastFolderDot", longText);
  EXPECT_EQ(store.read("LastFolderDot", ""), longText);
}

}  // namespace
}  // namespace plovane::test
