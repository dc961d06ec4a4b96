#include "services/loader_view.h"

#include <optional>

#include "services/ascii_case.h"
#include "services/pe_image.h"

namespace tarn {
namespace {

// `path` is `folder` or lies below it; the rest after the folder, its backslash included.
std::optional<std::string_view> Below(std::string_view path, std::string_view folder) {
  if (folder.empty() || path.size() < folder.size() ||
      !EqualNoCase(path.substr(0, folder.size()), folder))
    return std::nullopt;
  const std::string_view rest = path.substr(folder.size());
  if (!rest.empty() && rest.front() != '\\') return std::nullopt;
  return rest;
}

}  // namespace

LoaderView::LoaderView(LoaderFacts& facts)
    : facts_(facts),
      process_(facts.ProcessMachine()),
      windows_machine_(facts.WindowsMachine()),
      system_(facts.SystemFolder()),
      wow64_system_(facts.Wow64SystemFolder()),
      windows_(facts.WindowsFolder()),
      current_(facts.CurrentFolder()),
      known_dlls_(facts.KnownDlls()),
      path_(facts.PathFolders()) {}

std::uint16_t LoaderView::MachineOf(RegistryView view) const {
  return view == RegistryView::k32Bit ? kMachineX86 : windows_machine_;
}

RegistryView LoaderView::ViewOf(std::uint16_t machine) const {
  return TwoHalves() && machine == kMachineX86 ? RegistryView::k32Bit : RegistryView::k64Bit;
}

std::string LoaderView::SystemFolderFor(std::uint16_t machine) const {
  if (!TwoHalves()) return system_;
  if (machine == kMachineX86) return wow64_system_;
  // A 32-bit process reaches the 64-bit system folder only by this name: System32 is redirected.
  if (process_ == kMachineX86 && !windows_.empty()) return windows_ + "\\Sysnative";
  return system_;
}

std::string LoaderView::ReadableFor(const std::string& path, std::uint16_t machine) const {
  const std::optional<std::string_view> rest = Below(path, system_);
  return rest ? SystemFolderFor(machine) + std::string(*rest) : path;
}

DllSearch LoaderView::SearchFor(std::uint16_t machine) const {
  DllSearch search;
  search.known_dlls = known_dlls_;
  search.folders = {SystemFolderFor(machine), windows_.empty() ? "" : windows_ + "\\system",
                    windows_, current_};
  for (const std::string& folder : path_) search.folders.push_back(ReadableFor(folder, machine));
  return search;
}

std::string LoaderView::Expand(std::string_view text, RegistryView view) const {
  // The names that each half of a 64-bit Windows keeps its own program files under.
  struct Halves {
    std::string_view name, of_64_bit, of_32_bit;
  };
  static constexpr Halves kHalves[] = {
      {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)"},
      {"CommonProgramFiles", "CommonProgramW6432", "CommonProgramFiles(x86)"}};
  std::string expanded;
  while (!text.empty()) {
    const std::size_t open = text.find('%');
    const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    expanded.append(text.substr(0, open));
    const std::string_view name = text.substr(open + 1, close - open - 1);
    std::optional<std::string> value;
    for (const Halves& halves : kHalves) {
      if (TwoHalves() && EqualNoCase(name, halves.name))
        value = facts_.Environment(
            std::string(view == RegistryView::k64Bit ? halves.of_64_bit : halves.of_32_bit));
    }
    if (!value && !name.empty()) value = facts_.Environment(std::string(name));
    if (value) {
      expanded.append(*value);
      text.remove_prefix(close + 1);
    } else {
      // Not a variable: its closing mark may open the next one.
      expanded.append(text.substr(open, close - open));
      text.remove_prefix(close);
    }
  }
  return expanded.append(text);
}

bool LoaderView::ProtectedByWindows(const std::string& path) const {
  return facts_.ProtectedByWindows(path);
}

}  // namespace tarn
