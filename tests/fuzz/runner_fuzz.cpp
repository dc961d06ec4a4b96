// Loads and runs one info file over the fakes: the input's first bytes are the file, its last
// ones the platform's answers (which paths exist, as what, with which version, which calls fail)
// and the user's (to the install-folder questions and the folder browser).
#include <fuzzer/FuzzedDataProvider.h>

#include "native/fakes.h"

namespace {

// The paths that the answers are about; the dictionary names them, so scripts reach them.
constexpr const char* kPaths[] = {
    "C:\\a.dll", "C:\\Tools", "C:\\Tools\\b.ocx", "C:\\x y\\", "C:\\Program Files (x86)", "D:"};

// What the folder browser answers: Cancel, a folder, a drive root, a failure.
constexpr const char* kChosen[] = {"", "C:\\Tools\\", "D:\\", "(fail)"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  tarn::testing::Rig rig;
  for (const char* path : kPaths) {
    const auto answer = input.ConsumeIntegral<std::uint8_t>();
    if (answer & 1) rig.files.files[path] = "MZ";
    if (answer & 2) rig.files.folders.insert(path);
    if (answer & 4) rig.files.refuse[path] = answer & 8 ? "" : "Permission denied";
    if (answer & 16) rig.files.refuse_version[path] = "(bad_alloc)";
    if (answer & 32) {
      tarn::FixedFileInfo record{};
      record[tarn::kFileVersionHigh] = input.ConsumeIntegral<std::uint32_t>();
      record[tarn::kFileVersionLow] = input.ConsumeIntegral<std::uint32_t>();
      rig.files.versions[path] = record;
    }
    if (answer & 64) rig.files.times[path] = {1601, 1, 1, 0, 0, 0};
  }
  const auto platform = input.ConsumeIntegral<std::uint8_t>();
  rig.shell.broken = platform & 1;
  if (platform & 2) rig.shell.folders = {{38, "C:\\Program Files"}, {42, "%ProgramFiles%"}};
  if (platform & 4) rig.view.pane.failure = "Out of memory";
  if (platform & 8) rig.files.folders.insert(rig.LogPath());
  rig.desktop.clipboard_busy = platform & 16;
  if (platform & 32) rig.view.items.claimed_count = input.ConsumeIntegralInRange(0, 40);
  // The user's answers to the install-folder questions, and the folders the browser gives.
  const auto answers = input.ConsumeIntegral<std::uint8_t>();
  for (int bit = 0; bit < 4; ++bit) {
    rig.desktop.answers.push_back(answers >> bit & 1);
    rig.shell.chosen.push_back(kChosen[answers >> (4 + bit) & 1 ? bit : 0]);
  }
  rig.files.files["C:\\info.tarninfo"] = input.ConsumeRemainingBytesAsString();

  std::string path = platform & 64 ? "\"C:\\info.tarninfo\"" : "C:\\info.tarninfo";
  rig.form.LoadInfoFile(path);
  rig.form.Process();
  rig.form.CopyAllText();
  // Whatever happened, every entry that reached the pane ended with its line break.
  const std::string& pane = rig.view.pane.text;
  if (!pane.empty() && pane.compare(pane.size() - 2, 2, "\r\n") != 0) __builtin_trap();
  return 0;
}
