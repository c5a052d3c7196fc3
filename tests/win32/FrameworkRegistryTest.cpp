#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "framework/Exception.h"
#include "framework/Registry.h"

namespace {

// A key of this run's own below the maker's key, opened as the program opens its key.
class FrameworkRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Create(KEY_WOW64_32KEY), ERROR_SUCCESS); }
  void TearDown() override {
    registry.CloseKey();
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
      RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), view, 0);
  }

  LSTATUS Create(REGSAM view, const wchar_t* name = nullptr, DWORD type = 0, const void* data = nullptr,
                 DWORD size = 0) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                     nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS && name)
      status = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    if (key)
      RegCloseKey(key);
    return status;
  }
  bool Open(framework::TRegistry& reader) {
    reader.RootKey = HKEY_LOCAL_MACHINE;
    return reader.OpenKey(path);
  }

  const std::wstring path =
      L"SOFTWARE\\NORVIK\\GearShiftFrameworkTest-" + std::to_wstring(GetCurrentProcessId());
  framework::TRegistry registry{KEY_READ | KEY_WOW64_32KEY};
};

TEST_F(FrameworkRegistryTest, ReadIntegerReturnsAllThirtyTwoBitsOfADword) {
  DWORD code = 0x85000041;
  ASSERT_EQ(Create(KEY_WOW64_32KEY, L"1", REG_DWORD, &code, sizeof(code)), ERROR_SUCCESS);
  ASSERT_TRUE(Open(registry));
  EXPECT_TRUE(registry.ValueExists(L"1"));
  EXPECT_FALSE(registry.ValueExists(L"2"));
  EXPECT_EQ(static_cast<std::uint32_t>(registry.ReadInteger(L"1")), 0x85000041u);
}

TEST_F(FrameworkRegistryTest, ReadIntegerOfAnotherTypeOrAMissingValueThrowsNamingIt) {
  unsigned long long wide = 65;
  ASSERT_EQ(Create(KEY_WOW64_32KEY, L"text", REG_SZ, L"65", sizeof(L"65")), ERROR_SUCCESS);
  ASSERT_EQ(Create(KEY_WOW64_32KEY, L"qword", REG_QWORD, &wide, sizeof(wide)), ERROR_SUCCESS);
  ASSERT_EQ(Create(KEY_WOW64_32KEY, L"binary", REG_BINARY, &wide, 4), ERROR_SUCCESS);
  ASSERT_TRUE(Open(registry));
  std::pair<const wchar_t*, const char*> cases[] = {{L"text", "Invalid data type for 'text'"},
                                                    {L"qword", "Invalid data type for 'qword'"},
                                                    {L"binary", "Invalid data type for 'binary'"},
                                                    {L"missing", "Cannot read value 'missing'"}};
  for (auto [name, expected] : cases) {
    try {
      registry.ReadInteger(name);
      ADD_FAILURE() << "no exception, expected: " << expected;
    } catch (const framework::Exception& error) {
      EXPECT_EQ(error.Message(), expected);
    }
  }
}

TEST_F(FrameworkRegistryTest, OpenKeyOfAMissingKeyFailsAndCreatesNothing) {
  framework::TRegistry writer(KEY_ALL_ACCESS | KEY_WOW64_32KEY);  // rights enough to create it
  ASSERT_TRUE(Open(writer));
  std::wstring absent = path + L"\\Absent";
  EXPECT_FALSE(writer.OpenKey(absent));
  EXPECT_EQ(writer.CurrentKey(), nullptr) << "the key open before must be closed";
  HKEY created = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, absent.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &created),
            ERROR_FILE_NOT_FOUND);
  if (created)
    RegCloseKey(created);
}

TEST_F(FrameworkRegistryTest, ThirtyTwoBitViewDoesNotSeeAValueOfTheSixtyFourBitView) {
#ifndef _WIN64
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64)
    GTEST_SKIP() << "a 32-bit system has one registry view only";
#endif
  DWORD code = 0x5000041;
  ASSERT_EQ(Create(KEY_WOW64_64KEY, L"1", REG_DWORD, &code, sizeof(code)), ERROR_SUCCESS);
  ASSERT_TRUE(Open(registry));
  EXPECT_FALSE(registry.ValueExists(L"1")) << "the 32-bit view read a value written to the 64-bit one";
}

}  // namespace
