// What a read-only audit reads of a component's registration, against the real registry and file
// system: a type library's classes and key, where RegisterTypeLib files it, and where the
// registry view of each machine's programs sends each class.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include "services/class_placement.h"
#include "services/paths.h"
#include "services/pe_image.h"
#include "services/win32/code_page.h"
#include "services/win32/com.h"
#include "services/win32/desktop.h"
#include "services/win32/files.h"
#include "services/win32/handles.h"
#include "services/win32/path_identity.h"
#include "services/win32/registry.h"
#include "services/win32/search_order.h"
#include "services/win32/type_library_registry.h"

namespace tarn::win32 {
namespace {

std::string Temp(const char* name) {
  char temp[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, temp);
  return CombinePath(temp, name);
}

std::string Fixture(const char* name) {
  return CombinePath(GetFilePathOnly(ExePath()), std::string("fixtures\\") + name);
}

TEST(Registration, TypeLibraryGivesEveryClassAndItsKeyAndIsFoundWhereRegisterTypeLibFilesIt) {
  Win32Com com;
  std::unique_ptr<TypeLibReader> reader = com.NewTypeLibReader();
  reader->SetFile(Fixture("tarn_com.dll"));
  // The first of its four classes is no automation object, a class all the same.
  EXPECT_EQ(reader->Classes().size(), 4u);
  EXPECT_EQ(reader->Classes().front(), "{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5B01}");
  EXPECT_EQ(reader->Attributes().system, TypeLibrarySystem::kWin64);  // as this widl writes it

  // A library of version 1.10 for English on 32-bit Windows, whose key names both in hexadecimal.
  const std::string file = Temp("tarn_audit_library.tlb");
  const GUID id = {0x6C1E2A4B, 0x9D3F, 0x4E8A, {0xB7, 0xC5, 0x2F, 0x0D, 0x1A, 0x3E, 0x5C, 0x00}};
  UniqueCom<ICreateTypeLib2> made;
  ASSERT_EQ(::CreateTypeLib2(SYS_WIN32, Wide(file).c_str(), made.put()), S_OK);
  made.get()->SetGuid(id);
  made.get()->SetVersion(1, 10);
  made.get()->SetLcid(0x409);
  ASSERT_EQ(made.get()->SaveAllChanges(), S_OK);
  reader->SetFile(file);
  const TypeLibraryAttributes library = reader->Attributes();
  EXPECT_EQ(library, (TypeLibraryAttributes{"{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5C00}", 1, 10, 0x409,
                                            TypeLibrarySystem::kWin32}));

  Win32LoaderFacts facts;
  const LoaderView loader(facts);
  Win32TypeLibRegistry registry(loader);
  EXPECT_EQ(registry.RegisteredFile(library, kMachineX64), "");
  UniqueCom<ITypeLib> loaded;  // registered as a component's own registration files it
  ASSERT_EQ(::LoadTypeLibEx(Wide(file).c_str(), REGKIND_NONE, loaded.put()), S_OK);
  ASSERT_EQ(::RegisterTypeLib(loaded.get(), Wide(file).data(), nullptr), S_OK);
  EXPECT_EQ(registry.RegisteredFile(library, kMachineX64), file);
  TypeLibraryAttributes for_win64 = library;
  for_win64.system = TypeLibrarySystem::kWin64;
  EXPECT_EQ(registry.RegisteredFile(for_win64, kMachineX64), "");
  ::UnRegisterTypeLib(id, 1, 10, 0x409, SYS_WIN32);
  reader.reset(), made.reset(), loaded.reset();
  ::DeleteFileA(file.c_str());
}

TEST(Registration, AClassIsHereWhenItsServerIsTheComponentsFileUnderAnyNameInItsMachinesView) {
  const std::string component = Temp("Tarn Placed Component.dll"), copy = Temp("tarn_copy.dll");
  char system[MAX_PATH] = "", wow64[MAX_PATH] = "", short_name[MAX_PATH] = "";
  ::GetSystemDirectoryA(system, MAX_PATH);
  ::GetSystemWow64DirectoryA(wow64, MAX_PATH);
  const std::string component32 = CombinePath(wow64, "tarn_placed32.dll");
  for (const std::string& made : {component, copy, component32})
    ASSERT_TRUE(::CopyFileA(Fixture("no_version.dll").c_str(), made.c_str(), FALSE)) << made;
  ::GetShortPathNameA(component.c_str(), short_name, MAX_PATH);
  ASSERT_NE(short_name, component);
  std::string upper = component;
  ::CharUpperA(upper.data());

  const std::vector<std::string> ids{
      "{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5C01}", "{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5C02}",
      "{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5C03}", "{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5C04}",
      "{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5C05}"};
  auto add = [](REGSAM view, const std::string& key, const std::string& value) {
    ::RegSetKeyValueA(OpenKey(HKEY_CLASSES_ROOT, "CLSID", view | KEY_ALL_ACCESS).get(), key.c_str(),
                      nullptr, REG_SZ, value.c_str(), value.size() + 1);
  };
  add(KEY_WOW64_64KEY, ids[0] + "\\InprocServer32", component);
  add(KEY_WOW64_64KEY, ids[1] + "\\InprocServer32", copy);
  // No in-process server, and a local one with its arguments.
  add(KEY_WOW64_64KEY, ids[2] + "\\InprocServer32", "");
  add(KEY_WOW64_64KEY, ids[2] + "\\LocalServer32", '"' + component + "\" /automation");
  // Registered by the 32-bit half alone, by the name its programs give the 32-bit system folder.
  const std::string system32 = CombinePath(system, "tarn_placed32.dll");
  add(KEY_WOW64_32KEY, ids[3] + "\\InprocServer32", system32);
  add(KEY_WOW64_64KEY, ids[4] + "\\InprocServer32", "C:\\Old\\tarn grid.ocx");

  Win32LoaderFacts facts;
  const LoaderView loader(facts);
  Win32FileSystem files;
  Win32PathIdentity identity;
  ClassPlacement placement(
      [&](const std::string& id, RegistryView view) { return ReadClassServers(id, loader, view); },
      loader, files, identity);
  // Each class as "here FILE", "elsewhere FILE" or "missing", one after the other.
  auto placed = [&](const std::string& name, std::uint16_t machine) {
    std::string all;
    for (const PlacedClass& found : placement.Of(ids, name, machine))
      all += std::string(found.placement == Placement::kHere        ? "here "
                         : found.placement == Placement::kElsewhere ? "elsewhere "
                                                                    : "missing") +
             found.server + "|";
    return all;
  };
  for (const std::string& name : {std::string(short_name), upper, "\\\\?\\" + component})
    EXPECT_EQ(placed(name, kMachineX64), "here " + component + "|elsewhere " + copy + "|here " +
                                             component +
                                             "|missing|elsewhere C:\\Old\\tarn grid.ocx|")
        << name;
  EXPECT_EQ(placed(component32, kMachineX86),
            "missing|missing|missing|here " + system32 + "|missing|");

  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
    for (const std::string& id : ids)
      ::RegDeleteTreeA(OpenKey(HKEY_CLASSES_ROOT, "CLSID", view | KEY_ALL_ACCESS).get(),
                       id.c_str());
  for (const std::string& made : {component, copy, component32}) ::DeleteFileA(made.c_str());
}

}  // namespace
}  // namespace tarn::win32
