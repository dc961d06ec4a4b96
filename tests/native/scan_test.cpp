// /scan of a folder larger than an info file can hold: the images give way to the other lines, and
// a last comment says how many were left out; the loader then takes the whole file. An image of
// gigabytes costs no more than a small one. On a 64-bit Windows each image's runtimes come from
// its own half, as either build reads it, and Windows' own DLLs are known in any language.
#include "console/scan.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tarn {
namespace {

using testing::Directories;
using testing::EmptyImage;
using testing::kX64;
using testing::kX86;

// An image that imports one DLL, its import table in a section of its own after the headers; with
// `manifest`, the section also holds a resource directory whose root has a manifest type.
std::string ImportingImage(std::string_view dll, std::uint16_t machine = kX64,
                           bool manifest = false) {
  const std::size_t section = 0x58 + 0xf0, raw = 0x200;
  std::string bytes = EmptyImage(machine);
  bytes.resize(raw + 0x100, '\0');
  auto put = [&](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  put(0x46, 1, 2);                           // one section
  put(Directories(machine) + 8, 0x1000, 4);  // the import directory's address
  put(section + 8, 0x1000, 4);               // the section: its size in memory
  put(section + 12, 0x1000, 4);              // its address
  put(section + 16, 0x100, 4);               // its size in the file
  put(section + 20, raw, 4);                 // where it lies in the file
  put(raw + 12, 0x1000 + 0x40, 4);           // the first descriptor's name; the second is all zeros
  put(raw + 16, 0x1000 + 0x80, 4);           // its thunks
  bytes.replace(raw + 0x40, dll.size(), dll);
  if (manifest) {
    put(Directories(machine) + 16, 0x1000 + 0xc0, 4);  // the resource directory's address
    put(raw + 0xc0 + 14, 1, 2);                        // one type by its ID
    put(raw + 0xc0 + 16, 24, 4);                       // the manifests
  }
  return bytes;
}

// The CR LF lines of a scan.
testing::Lines LinesOf(const std::string& text) {
  testing::Lines lines;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// The scan of C:\App over the fakes, the PC's loader as `facts` says.
console::ScannedInfoFile Scan(testing::Rig& rig, testing::FakeClassRegistry& classes,
                              testing::FakeLoaderFacts& facts, Assemblies* assemblies = nullptr) {
  const LoaderView loader(facts);
  console::ScanSources sources{rig.files, rig.desktop, rig.shell, rig.form,
                               classes,   rig.com,     loader,    assemblies};
  return console::ScanFolder(sources, "C:\\App");
}

// The scan's lines of a folder of `images` images whose one class is served from inside it, and
// what the scan says it left out.
std::pair<testing::Lines, std::size_t> ScanOf(testing::Rig& rig, int images) {
  const std::string image = EmptyImage();
  for (int i = 0; i < images; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "C:\\App\\f%05d.dll", i);
    rig.files.files[name] = image;
  }
  testing::FakeClassRegistry classes;
  classes.classes.push_back({"{1}", "C:\\App\\f00000.dll", "", {"Tarn.Kept"}});
  rig.com.class_ids["Tarn.Kept"] = "{1}";
  rig.com.automation["C:\\App\\f00000.dll"] = {"{1}"};
  testing::FakeLoaderFacts facts;
  const console::ScannedInfoFile scanned = Scan(rig, classes, facts);
  rig.files.files["C:\\scanned.tarninfo"] = scanned.text;
  return {LinesOf(scanned.text), scanned.left_out};
}

TEST(Scan, KeepsToTheLinesOfAnInfoFileAndSaysHowManyImagesItLeftOut) {
  // The comment, AppName, InstallFolder and the class's line leave room for 32,763 images.
  for (const int images : {32763, 32764}) {
    testing::Rig rig;
    const auto [lines, left_out] = ScanOf(rig, images);
    const bool cut = images > 32763;
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kMaxItemLines)) << images;
    EXPECT_EQ(left_out, cut ? 2u : 0u) << images;
    EXPECT_EQ(lines.back(), cut ? "; 2 images left out: an info file holds at most 32767 lines"
                                : "InstantiateObject=Tarn.Kept")
        << images;
    EXPECT_EQ(lines[lines.size() - (cut ? 2 : 1)], "InstantiateObject=Tarn.Kept") << images;
    std::string path = "C:\\scanned.tarninfo";
    ASSERT_TRUE(rig.form.LoadInfoFile(path));
    EXPECT_EQ(rig.view.items.lines.size(), lines.size()) << images;
    EXPECT_TRUE(rig.desktop.boxes.empty()) << "the loader cut the file: " << rig.desktop.boxes[0];
  }
}

// A 3 GB installer, as a 32-bit build meets it: only its headers and its import table are read,
// and it is written like any other image.
TEST(Scan, ReadsOnlyTheHeadersAndTablesOfAnImageOfGigabytes) {
  testing::Rig rig;
  rig.files.files["C:\\App\\setup.exe"] = ImportingImage("tarnrt.dll");
  rig.files.lengths["C:\\App\\setup.exe"] = std::uint64_t{3} << 30;
  rig.files.files["C:\\Runtime\\tarnrt.dll"] = "";
  testing::FakeClassRegistry classes;
  testing::FakeLoaderFacts facts;
  facts.path = {"C:\\Runtime"};
  const testing::Lines lines = LinesOf(Scan(rig, classes, facts).text);
  EXPECT_EQ(lines,
            (testing::Lines{lines.at(0), "AppName=App", "InstallFolder=C:\\App",
                            "File=%InstallFolder%\\setup.exe", "File=C:\\Runtime\\tarnrt.dll"}));
  EXPECT_LT(rig.files.bytes_read, 1u << 20);
}

// The scan of a folder on a 64-bit Windows, by the build of `process_machine`, its special folders
// as the shell gives them there, with what the test put into `rig` and `facts`.
testing::Lines ScanOnSixtyFourBitWindows(testing::Rig& rig, testing::FakeLoaderFacts& facts) {
  rig.shell.folders = {{37, "C:\\Windows\\system32"},
                       {41, "C:\\Windows\\SysWOW64"},
                       {38, "C:\\Program Files"},
                       {42, "C:\\Program Files (x86)"}};
  testing::FakeClassRegistry classes;
  testing::Lines lines = LinesOf(Scan(rig, classes, facts).text);
  lines.erase(lines.begin());  // the comment with the date
  return lines;
}

// An application of both machines, each importing its own tarnrt.dll: each build finds each
// image's runtime in that image's system folder, the 32-bit one as %SystemFolder% and the 64-bit
// one by the path that build reads (Sysnative from the 32-bit build, whose System32 is the
// 32-bit folder), so that each line checks the copy the loader would load.
TEST(Scan, EachBuildTakesEachImagesRuntimeFromTheSystemFolderOfItsMachine) {
  for (const std::uint16_t build : {kX86, kX64}) {
    testing::Rig rig;
    testing::FakeLoaderFacts facts;
    facts.process_machine = build;
    facts.path = {"C:\\Windows\\system32", "C:\\Windows"};
    rig.files.files["C:\\App\\app64.exe"] = ImportingImage("tarnrt.dll", kX64);
    rig.files.files["C:\\App\\app32.exe"] = ImportingImage("tarnrt.dll", kX86);
    const std::string native = build == kX86 ? "C:\\Windows\\Sysnative" : "C:\\Windows\\system32";
    // What this build reads in System32: the 32-bit build's is the 32-bit folder.
    rig.files.files["C:\\Windows\\system32\\tarnrt.dll"] = "";
    rig.files.files[native + "\\tarnrt.dll"] = "";
    rig.files.files["C:\\Windows\\SysWOW64\\tarnrt.dll"] = "";
    EXPECT_EQ(
        ScanOnSixtyFourBitWindows(rig, facts),
        (testing::Lines{"AppName=App", "InstallFolder=C:\\App", "File=%InstallFolder%\\app32.exe",
                        "File=%InstallFolder%\\app64.exe", "File=" + native + "\\tarnrt.dll",
                        "File=%SystemFolder%\\tarnrt.dll"}))
        << build;
  }
}

// Windows' own DLLs are those that Windows Resource Protection keeps, whatever the language of
// their product names: a German Windows writes the same info file as an English one.
TEST(Scan, AGermanWindowsWritesTheInfoFileOfAnEnglishOne) {
  std::vector<testing::Lines> scans;
  for (const char* product :
       {"Microsoft\xae Windows\xae Operating System", "Betriebssystem Microsoft\xae Windows\xae"}) {
    testing::Rig rig;
    testing::FakeLoaderFacts facts;
    rig.files.files["C:\\App\\desk.exe"] = ImportingImage("gdiplus.dll");
    rig.files.files["C:\\App\\grid.dll"] = ImportingImage("tarnrt.dll");
    rig.files.files["C:\\Windows\\system32\\gdiplus.dll"] = "";
    rig.files.products["C:\\Windows\\system32\\gdiplus.dll"] = product;
    facts.protected_files.insert("C:\\Windows\\system32\\gdiplus.dll");
    rig.files.files["C:\\Windows\\system32\\tarnrt.dll"] = "";
    rig.files.products["C:\\Windows\\system32\\tarnrt.dll"] = "Tarn Runtime";
    scans.push_back(ScanOnSixtyFourBitWindows(rig, facts));
  }
  EXPECT_EQ(
      scans[0],
      (testing::Lines{"AppName=App", "InstallFolder=C:\\App", "File=%InstallFolder%\\desk.exe",
                      "File=%InstallFolder%\\grid.dll", "File=C:\\Windows\\system32\\tarnrt.dll"}));
  EXPECT_EQ(scans[1], scans[0]);
}

// Imports that side-by-side assemblies serve: one from the store, whose folder names change with
// each servicing update, so only a comment names it, and no namesake in the loader's search folders
// is taken for it; one that this PC does not have, named with the image that needs it.
TEST(Scan, NamesTheSideBySideAssembliesOfTheImagesInComments) {
  testing::Rig rig;
  rig.files.files["C:\\App\\old.exe"] = ImportingImage("msvcr90.dll", kX64, true);
  rig.files.files["C:\\App\\report.dll"] = ImportingImage("mfc80.dll", kX64, true);
  rig.files.files["C:\\Runtime\\msvcr90.dll"] = "";
  const std::string store = "C:\\Windows\\WinSxS\\";
  const std::string crt = "x86_microsoft.vc90.crt_1fc8b3b9a1e18e3b_9.0.30729.9635_none_508ef0e8";
  testing::FakeAssemblies assemblies;
  assemblies.images["C:\\App\\old.exe"].served.push_back(
      {"msvcr90.dll", "Microsoft.VC90.CRT 9.0.30729.9635 x86", store + crt + "\\msvcr90.dll",
       store + "Manifests\\" + crt + ".manifest"});
  assemblies.images["C:\\App\\report.dll"].missing = {"Microsoft.VC80.MFC 8.0.50727.762 x86"};
  testing::FakeClassRegistry classes;
  testing::FakeLoaderFacts facts;
  facts.path = {"C:\\Runtime"};
  const testing::Lines lines = LinesOf(Scan(rig, classes, facts, &assemblies).text);
  EXPECT_EQ(
      lines,
      (testing::Lines{
          lines.at(0), "AppName=App", "InstallFolder=C:\\App", "File=%InstallFolder%\\old.exe",
          "File=%InstallFolder%\\report.dll",
          "; Side-by-side assembly Microsoft.VC90.CRT 9.0.30729.9635 x86: " + store + crt +
              "\\msvcr90.dll",
          "; Side-by-side assembly not found on this PC: Microsoft.VC80.MFC 8.0.50727.762 x86, "
          "named by the manifest of %InstallFolder%\\report.dll"}));
}

// The 32-bit build on a 64-bit Windows, which no run here can show: an in-process server of the
// 64-bit registry view alone serves no 32-bit process, while COM starts a local server of that
// view for a client of either bitness. The class of both views is written once.
TEST(Scan, WritesAnObjectOnlyWhereTheBuildOfTheScanCanCreateIt) {
  testing::Rig rig;
  for (const char* name : {"C:\\App\\both.dll", "C:\\App\\in64.dll", "C:\\App\\local64.exe"})
    rig.files.files[name] = EmptyImage();
  testing::FakeClassRegistry classes;
  classes.classes = {
      {"{A}", "C:\\App\\in64.dll", "", {"Tarn.In64"}, 64, false},
      {"{B}", "", "\"C:\\App\\local64.exe\" /automation", {"Tarn.Local64"}, 64, false},
      {"{C}", "C:\\App\\both.dll", "", {"Tarn.Both"}, 64, false},
      {"{C}", "C:\\App\\both.dll", "", {"Tarn.Both"}, 32, true}};
  rig.com.class_ids = {{"Tarn.In64", "{A}"}, {"Tarn.Local64", "{B}"}, {"Tarn.Both", "{C}"}};
  rig.com.automation["C:\\App\\in64.dll"] = {"{A}"};
  rig.com.automation["C:\\App\\local64.exe"] = {"{B}"};
  rig.com.automation["C:\\App\\both.dll"] = {"{C}"};
  testing::FakeLoaderFacts facts;
  facts.process_machine = kX86;
  const testing::Lines lines = LinesOf(Scan(rig, classes, facts).text);
  EXPECT_EQ(lines,
            (testing::Lines{lines.at(0), "AppName=App", "InstallFolder=C:\\App",
                            "File=%InstallFolder%\\both.dll", "File=%InstallFolder%\\in64.dll",
                            "File=%InstallFolder%\\local64.exe", "InstantiateObject=Tarn.Both",
                            "InstantiateObject=Tarn.Local64",
                            "; Not an InstantiateObject: Tarn.In64 (served only in the "
                            "64-bit registry view)"}));
}

}  // namespace
}  // namespace tarn
