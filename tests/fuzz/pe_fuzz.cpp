// Reads the input as a component's file, as the console edition does after a failed
// registration: its headers alone, then the diagnosis with the DLL search over the fakes.
#include <algorithm>
#include <vector>

#include "native/fakes.h"
#include "services/load_diagnosis.h"
#include "services/pe_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tarn::MemoryBytes source(bytes);
  const std::optional<tarn::PeImage> whole = tarn::ReadPeImage(source);
  // A name longer than any file name is no DLL's; taking it would copy it for every entry.
  if (whole && std::any_of(whole->imports.begin(), whole->imports.end(),
                           [](const std::string& name) { return name.size() > 255; }))
    __builtin_trap();
  // Every offset is taken from the file, so a file cut short can lose the end of its import list
  // but never read as another image. Each cut is a copy of its own length, so that a read past
  // the cut is one past a heap block for AddressSanitizer, not a read of the bytes that follow.
  for (std::size_t cut : {size / 2, size - size / 8, size - 1, size - 21, size - 200}) {
    if (cut >= size) continue;
    const std::vector<char> prefix(data, data + cut);
    tarn::MemoryBytes cut_source({prefix.data(), prefix.size()});
    const std::optional<tarn::PeImage> read = tarn::ReadPeImage(cut_source);
    if (!read) continue;
    if (!whole || read->machine != whole->machine || read->imports.size() > whole->imports.size() ||
        !std::equal(read->imports.begin(), read->imports.end(), whole->imports.begin()))
      __builtin_trap();
  }

  // Beside the component a DLL, in the search's folder a folder named like a DLL, and an empty
  // folder in the search: each way the search can answer.
  tarn::testing::FakeFileSystem files;
  files.files["C:\\App\\c.dll"] = std::string(bytes);
  files.files["C:\\App\\kernel32.dll"] = "";
  files.folders.insert("C:\\Windows\\user32.dll");
  const tarn::DllSearch search{{"ntdll.dll"}, {"", "C:\\Windows"}};
  const tarn::LoadDiagnosis diagnosis =
      tarn::Diagnose(files, "C:\\App\\c.dll", {tarn::kMachineX64}, search);
  // The component's own folder is searched whatever the search holds: what lies there is found.
  const std::vector<std::string>& missing = diagnosis.missing_dependencies;
  if (std::count(missing.begin(), missing.end(), "kernel32.dll")) __builtin_trap();
  return 0;
}
