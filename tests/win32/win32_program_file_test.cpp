// The built program file as Explorer and the taskbar see it: its icon, read
// from dizod.exe's own resources.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

namespace {

// The program beside this test program.
std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1) + L"" DIZOD_EXE;
}

// Keeps the first name of the type: for icon groups, the icon that the
// program file shows.
BOOL CALLBACK KeepFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPCWSTR*>(found) = name;
  return FALSE;
}

// A resource's bytes, or an empty view when the module lacks it.
std::string_view Resource(HMODULE module, LPCWSTR type, LPCWSTR name) {
  HRSRC found = FindResourceW(module, name, type);
  if (found == nullptr) return {};
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  return {data, SizeofResource(module, found)};
}

template <typename T>
T Read(std::string_view bytes, size_t at) {
  T value{};
  if (at + sizeof(T) <= bytes.size()) std::memcpy(&value, bytes.data() + at, sizeof(T));
  return value;
}

TEST(ProgramFile, IconHasSevenUncompressedImagesOfTheFixedSizes) {
  const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&FreeLibrary)> exe(
      LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), FreeLibrary);
  ASSERT_NE(exe.get(), nullptr);
  LPCWSTR first = nullptr;
  EnumResourceNamesW(exe.get(), RT_GROUP_ICON, KeepFirstName, reinterpret_cast<LONG_PTR>(&first));
  const std::string_view group = Resource(exe.get(), RT_GROUP_ICON, first);
  EXPECT_EQ(Read<WORD>(group, 2), 1);  // an icon, not a cursor
  ASSERT_EQ(Read<WORD>(group, 4), 7);
  ASSERT_EQ(group.size(), 6u + 7 * 14);

  const struct {
    int size, bits;
    DWORD bytes;
  } expected[] = {{32, 4, 744},  {32, 24, 3240}, {48, 24, 7336}, {64, 24, 12840},
                  {72, 4, 3560}, {72, 8, 7112},  {72, 24, 16456}};
  for (int i = 0; i < 7; ++i) {
    // Each entry: width, height, colours, reserved, planes, bits, bytes, id.
    const size_t entry = 6 + 14 * i;
    EXPECT_EQ(Read<BYTE>(group, entry), expected[i].size) << i;
    EXPECT_EQ(Read<BYTE>(group, entry + 1), expected[i].size) << i;
    EXPECT_EQ(Read<WORD>(group, entry + 6), expected[i].bits) << i;
    const std::string_view image =
        Resource(exe.get(), RT_ICON, MAKEINTRESOURCEW(Read<WORD>(group, entry + 12)));
    EXPECT_EQ(image.size(), expected[i].bytes) << i;
    // The image itself: a bitmap twice as high as wide (picture and mask),
    // of the same depth, not compressed.
    const auto header = Read<BITMAPINFOHEADER>(image, 0);
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER)) << i;
    EXPECT_EQ(header.biWidth, expected[i].size) << i;
    EXPECT_EQ(header.biHeight, 2 * expected[i].size) << i;
    EXPECT_EQ(header.biBitCount, expected[i].bits) << i;
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB)) << i;
  }
}

}  // namespace
