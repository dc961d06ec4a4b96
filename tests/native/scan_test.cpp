// /scan of a folder larger than an info file can hold: the images give way to the other lines, and
// a last comment says how many were left out; the loader then takes the whole file. An image of
// gigabytes costs no more than a small one.
#include "console/scan.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tarn {
namespace {

// The smallest image the PE reader takes: headers with no section and no directory in use.
std::string EmptyImage() {
  std::string bytes(0x40 + 4 + 20 + 0xf0, '\0');
  auto put = [&](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  put(0, 0x5a4d, 2);        // MZ
  put(0x3c, 0x40, 4);       // where the PE header begins
  put(0x40, 0x4550, 4);     // PE
  put(0x44, 0x8664, 2);     // x64
  put(0x44 + 16, 0xf0, 2);  // the optional header's size
  put(0x58, 0x20b, 2);      // PE32+
  put(0x58 + 108, 16, 4);   // directories
  return bytes;
}

// An image that imports one DLL, its import table in a section of its own after the headers.
std::string ImportingImage(std::string_view dll) {
  const std::size_t section = 0x58 + 0xf0, raw = 0x200;
  std::string bytes = EmptyImage();
  bytes.resize(raw + 0x100, '\0');
  auto put = [&](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  put(0x46, 1, 2);                  // one section
  put(0x58 + 112 + 8, 0x1000, 4);   // the import directory's address
  put(section + 8, 0x1000, 4);      // the section: its size in memory
  put(section + 12, 0x1000, 4);     // its address
  put(section + 16, 0x100, 4);      // its size in the file
  put(section + 20, raw, 4);        // where it lies in the file
  put(raw + 12, 0x1000 + 0x40, 4);  // the first descriptor's name; the second is all zeros
  put(raw + 16, 0x1000 + 0x80, 4);  // its thunks
  bytes.replace(raw + 0x40, dll.size(), dll);
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
  const DllSearch search;
  console::ScanMachine machine{rig.files, rig.desktop, rig.shell, rig.form,
                               classes,   rig.com,     search};
  const console::ScannedInfoFile scanned = console::ScanFolder(machine, "C:\\App");
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
  const DllSearch search{{}, {"C:\\Runtime"}};
  console::ScanMachine machine{rig.files, rig.desktop, rig.shell, rig.form,
                               classes,   rig.com,     search};
  const testing::Lines lines = LinesOf(console::ScanFolder(machine, "C:\\App").text);
  EXPECT_EQ(lines,
            (testing::Lines{lines.at(0), "AppName=App", "InstallFolder=C:\\App",
                            "File=%InstallFolder%\\setup.exe", "File=C:\\Runtime\\tarnrt.dll"}));
  EXPECT_LT(rig.files.bytes_read, 1u << 20);
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
  const DllSearch search;
  console::ScanMachine machine{rig.files, rig.desktop, rig.shell, rig.form,
                               classes,   rig.com,     search};
  const testing::Lines lines = LinesOf(console::ScanFolder(machine, "C:\\App").text);
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
