// /scan of a folder larger than an info file can hold: the images give way to the other lines, and
// a last comment says how many were left out; the loader then takes the whole file.
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
  classes.classes.push_back({{"C:\\App\\f00000.dll"}, {"Tarn.Kept"}});
  const DllSearch search;
  console::ScanMachine machine{rig.files, rig.desktop, rig.shell, rig.form, classes, search};
  const console::ScannedInfoFile scanned = console::ScanFolder(machine, "C:\\App");
  rig.files.files["C:\\scanned.tarninfo"] = scanned.text;
  testing::Lines lines;
  for (std::size_t start = 0, end; (end = scanned.text.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    lines.push_back(scanned.text.substr(start, end - start));
  return {lines, scanned.left_out};
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

}  // namespace
}  // namespace tarn
