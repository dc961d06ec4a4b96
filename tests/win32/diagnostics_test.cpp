// The diagnosis of a failed load against the real loader's files and registry: fixtures that no
// loader of this build can load, damaged images, and classes registered with servers that are
// missing or cannot be loaded.
#include "services/win32/diagnostics.h"

#include <windows.h>

#include <objbase.h>

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "checks/load_diagnosis.h"
#include "checks/paths.h"
#include "services/win32/desktop.h"
#include "services/win32/files.h"
#include "support/test_support.h"

namespace tarn::win32 {
namespace {

std::string Fixture(const std::string& name) {
  return CombinePath(GetFilePathOnly(ExePath()), "fixtures\\" + name);
}

#ifdef _WIN64
constexpr const char* kThisMachine = "x64";
constexpr const char* kOtherMachine = "x86";
#else
constexpr const char* kThisMachine = "x86";
constexpr const char* kOtherMachine = "x64";
#endif

using Names = std::vector<std::string>;

TEST(Diagnostics, NamesTheMachinesAndTheImportsThatTheLoaderCannotFind) {
  // The import that is missing beside the fixture is found beside a copy, the file's own folder
  // coming first in the search; a folder of that name is no DLL.
  test::TempFolder beside("diagnostics");
  ASSERT_TRUE(
      ::CopyFileA(Fixture("tarn_needs_absent.dll").c_str(), (beside / "needs.dll").c_str(), FALSE));
  std::ofstream(beside / "tarn_absent.dll") << "any";
  test::TempFolder folder_named("diagnostics-folder");
  ASSERT_TRUE(::CopyFileA(Fixture("tarn_needs_absent.dll").c_str(),
                          (folder_named / "needs.dll").c_str(), FALSE));
  ::CreateDirectoryA((folder_named / "tarn_absent.dll").c_str(), nullptr);
  const struct {
    std::string file;
    std::string file_machine, loader_machine;
    Names missing;
  } cases[] = {
      {Fixture("tarn_needs_absent.dll"), "", "", {"tarn_absent.dll"}},
      {beside / "needs.dll", "", "", {}},
      {folder_named / "needs.dll", "", "", {"tarn_absent.dll"}},
      {Fixture("tarn_other_machine.dll"), kOtherMachine, kThisMachine, {}},
      // Everything it imports is found: nothing to say.
      {Fixture("v1_0_0_23.dll"), "", "", {}},
      {Fixture("tarn_com.dll"), "", "", {}},
      // Not an image, or no file at all: no diagnosis rather than a wrong one.
      {CombinePath(GetFilePathOnly(ExePath()), "CTestTestfile.cmake"), "", "", {}},
      {Fixture("no-such.dll"), "", "", {}},
  };
  Win32FileSystem files;
  Win32Diagnostics diagnostics(files);
  for (const auto& c : cases) {
    LoadDiagnosis d = diagnostics.ExplainRegistration(c.file);
    EXPECT_EQ(d.file_machine, c.file_machine) << c.file;
    EXPECT_EQ(d.loader_machine, c.loader_machine) << c.file;
    EXPECT_EQ(d.missing_dependencies, c.missing) << c.file;
  }
}

// Every cut of a real image reads as nothing or as the start of its import list, never as
// something else; the reader takes every offset from the file itself.
TEST(Diagnostics, AnImageCutAnywhereGivesNothingOrThePartBeforeTheCut) {
  std::ifstream in(Fixture("tarn_needs_absent.dll"), std::ios::binary);
  const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::optional<PeImage> whole = ReadPeImage(image);
  ASSERT_TRUE(whole);
  EXPECT_NE(std::find(whole->imports.begin(), whole->imports.end(), "tarn_absent.dll"),
            whole->imports.end());
  for (std::size_t size = 0; size < image.size(); ++size) {
    std::optional<PeImage> cut = ReadPeImage(std::string_view(image).substr(0, size));
    if (!cut) continue;
    ASSERT_EQ(cut->machine, whole->machine) << size;
    ASSERT_LE(cut->imports.size(), whole->imports.size()) << size;
    ASSERT_TRUE(std::equal(cut->imports.begin(), cut->imports.end(), whole->imports.begin()))
        << size;
  }
}

// A class registered for the test only, removed again at the end.
class RegisteredClass {
 public:
  RegisteredClass(const std::string& prog_id, const std::string& server) : prog_id_(prog_id) {
    Set(prog_id + "\\CLSID", kClassId);
    Set(std::string("CLSID\\") + kClassId + "\\InprocServer32", server);
  }
  ~RegisteredClass() {
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, prog_id_.c_str());
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + kClassId).c_str());
  }

 private:
  static constexpr const char* kClassId = "{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5B7F}";
  static void Set(const std::string& key, const std::string& value) {
    ASSERT_EQ(::RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(),
                             static_cast<DWORD>(value.size())),
              ERROR_SUCCESS);
  }
  std::string prog_id_;
};

TEST(Diagnostics, ExplainsAClassByTheServerItIsRegisteredWith) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  const struct {
    std::string server;  // empty: the class is not registered
    Names missing;
  } cases[] = {
      {Fixture("tarn_needs_absent.dll"), {"tarn_absent.dll"}},
      {"\"" + Fixture("tarn_needs_absent.dll") + "\"", {"tarn_absent.dll"}},
      {"tarn_gone.dll", {"tarn_gone.dll"}},
      {Fixture("gone.dll"), {Fixture("gone.dll")}},
      {Fixture("tarn_com.dll"), {}},
      {"", {}},
  };
  Win32FileSystem files;
  Win32Diagnostics diagnostics(files);
  for (const auto& c : cases) {
    std::optional<RegisteredClass> registered;
    if (!c.server.empty()) registered.emplace("Tarn.DiagnosisProbe", c.server);
    EXPECT_EQ(diagnostics.ExplainCreation("Tarn.DiagnosisProbe").missing_dependencies, c.missing)
        << c.server;
  }
  ::CoUninitialize();
}

}  // namespace
}  // namespace tarn::win32
