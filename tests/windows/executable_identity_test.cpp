// Reads glyphevict.exe's version resource and manifest through the platform's
// own resource and activation context functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "beside_this_program.h"

namespace {

std::wstring version_string(const std::vector<char>& info, const std::wstring& name) {
  const std::wstring query = L"\\StringFileInfo\\040904b0\\" + name;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) ||
      length == 0) {
    return L"(missing)";
  }
  return std::wstring(value, length - 1);  // length counts the terminating null
}

TEST(ExecutableIdentity, VersionResourceNamesTheToolAndItsVersion) {
  const std::wstring exe = beside_this_program(L"glyphevict.exe");
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));

  EXPECT_EQ(version_string(info, L"FileDescription"), L"glyphevict");
  EXPECT_EQ(version_string(info, L"ProductName"), L"glyphevict");
  EXPECT_EQ(version_string(info, L"InternalName"), L"glyphevict.exe");
  EXPECT_EQ(version_string(info, L"OriginalFilename"), L"glyphevict.exe");
  EXPECT_EQ(version_string(info, L"FileVersion"), GLYPHEVICT_VERSION);
  EXPECT_EQ(version_string(info, L"ProductVersion"), GLYPHEVICT_VERSION);

  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 2 * sizeof(WORD));
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);

  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), GLYPHEVICT_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), GLYPHEVICT_VERSION_MINOR);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), GLYPHEVICT_VERSION_PATCH);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
}

TEST(ExecutableIdentity, CarriesOneManifestThatRunsAsInvoker) {
  const std::wstring exe = beside_this_program(L"glyphevict.exe");
  HMODULE image = LoadLibraryExW(exe.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);

  // Count every manifest: each name in each language.
  int manifests = 0;
  EnumResourceNamesW(
      image, RT_MANIFEST,
      [](HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR count) -> BOOL {
        EnumResourceLanguagesW(
            module, type, name,
            [](HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR inner_count) -> BOOL {
              ++*reinterpret_cast<int*>(inner_count);
              return TRUE;
            },
            count);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&manifests));
  EXPECT_EQ(manifests, 1);

  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
  const std::string manifest(bytes, SizeofResource(image, found));
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
            std::string::npos)
      << manifest;
  FreeLibrary(image);

  // Windows refuses to start a program whose manifest it cannot parse;
  // CreateActCtxW parses the exe's manifest resource.
  ACTCTXW manifest_context = {};
  manifest_context.cbSize = sizeof manifest_context;
  manifest_context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  manifest_context.lpSource = exe.c_str();
  manifest_context.lpResourceName = MAKEINTRESOURCEW(1);
  const HANDLE context = CreateActCtxW(&manifest_context);
  const DWORD error = GetLastError();
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "CreateActCtxW refused the manifest: error " << error;
  ReleaseActCtx(context);
}

}  // namespace
