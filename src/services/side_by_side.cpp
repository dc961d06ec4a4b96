#include "services/side_by_side.h"

#include <algorithm>
#include <optional>

#include "services/ascii_case.h"

namespace tarn {
namespace {

// A manifest is a few kilobytes; the bounds keep a damaged resource from running long.
constexpr std::size_t kMaxManifest = 256 * 1024;
constexpr std::size_t kMaxAssemblies = 64;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The value of the attribute `key` in an element's text, quoted with either quote; empty when it
// has none.
std::string_view Attribute(std::string_view element, std::string_view key) {
  for (std::size_t at = element.find(key); at != std::string_view::npos;
       at = element.find(key, at + 1)) {
    if (at == 0 || !IsBlank(element[at - 1])) continue;
    std::size_t next = at + key.size();
    while (next < element.size() && IsBlank(element[next])) ++next;
    if (next >= element.size() || element[next] != '=') continue;
    ++next;
    while (next < element.size() && IsBlank(element[next])) ++next;
    if (next >= element.size() || (element[next] != '"' && element[next] != '\'')) continue;
    const std::size_t end = element.find(element[next], next + 1);
    if (end == std::string_view::npos) return {};
    return element.substr(next + 1, end - next - 1);
  }
  return {};
}

// The attributes' text of the next element whose name (after any namespace prefix) is `name`,
// from `from` on; `from` moves past it. Nothing when there is none.
std::optional<std::string_view> NextElement(std::string_view text, std::string_view name,
                                            std::size_t& from) {
  for (std::size_t at = text.find(name, from); at != std::string_view::npos;
       at = text.find(name, at + 1)) {
    const std::size_t after = at + name.size();
    if (at == 0 || (text[at - 1] != '<' && text[at - 1] != ':') || after >= text.size() ||
        (!IsBlank(text[after]) && text[after] != '>' && text[after] != '/'))
      continue;
    const std::size_t end = text.find('>', after);
    if (end == std::string_view::npos) break;
    from = end + 1;
    return text.substr(after, end - after);
  }
  from = text.size();
  return std::nullopt;
}

// UTF-16 text, little- or big-endian after its byte-order mark, with the characters outside
// ASCII as '?': the names and versions that matter here are ASCII.
std::string Narrowed(std::string_view text) {
  const bool little = text.starts_with("\xff\xfe");
  if (!little && !text.starts_with("\xfe\xff")) return std::string(text);
  std::string narrow;
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    const char low = text[little ? i : i + 1], high = text[little ? i + 1 : i];
    narrow += high == 0 && static_cast<unsigned char>(low) < 0x80 ? low : '?';
  }
  return narrow;
}

}  // namespace

const AssemblyDll* ImageAssemblies::Serving(std::string_view dll) const {
  auto found = std::find_if(served.begin(), served.end(),
                            [&](const AssemblyDll& s) { return EqualNoCase(s.dll, dll); });
  return found == served.end() ? nullptr : &*found;
}

std::string AssemblyTitle(std::string_view name, std::string_view version,
                          std::string_view machine) {
  std::string title(name);
  for (std::string_view part : {version, machine})
    if (!part.empty()) title.append(title.empty() ? "" : " ").append(part);
  return title;
}

std::vector<std::string> DependentAssemblies(std::string_view manifest) {
  const std::string text = Narrowed(manifest.substr(0, kMaxManifest));
  std::vector<std::string> names;
  std::size_t from = 0;
  while (names.size() < kMaxAssemblies && NextElement(text, "dependentAssembly", from)) {
    const std::optional<std::string_view> identity = NextElement(text, "assemblyIdentity", from);
    if (!identity) break;
    const std::string_view name = Attribute(*identity, "name");
    if (name.empty()) continue;
    std::string title = AssemblyTitle(name, Attribute(*identity, "version"),
                                      Attribute(*identity, "processorArchitecture"));
    if (std::find(names.begin(), names.end(), title) == names.end())
      names.push_back(std::move(title));
  }
  return names;
}

std::string EncodedAssemblyTitle(std::string_view identity) {
  const std::size_t comma = std::min(identity.find(','), identity.size());
  // Attribute expects a blank before each key, as in an element.
  std::string pairs;
  for (const char c : identity.substr(comma)) pairs += c == ',' ? ' ' : c;
  return AssemblyTitle(identity.substr(0, comma), Attribute(pairs, "version"),
                       Attribute(pairs, "processorArchitecture"));
}

}  // namespace tarn
