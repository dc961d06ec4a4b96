// The console edition's record of a run: every item line's findings as typed fields, built from
// the form's findings while the run writes its log, the reasons behind a failed registration or
// creation, and the exit code the run earns.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "form/findings.h"
#include "services/diagnostics.h"

namespace tarn::console {

enum ExitCode { kPassed = 0, kFailed = 1, kBadUsage = 2, kStopped = 3 };

class JsonReport final : public Findings {
 public:
  using Json = nlohmann::ordered_json;
  // `to_utf8` turns a text of the system's code page into UTF-8; `tell` receives each reason
  // behind a failure as one line. `utc_offset_minutes` is the local time's offset, given to
  // every time of the report.
  // Without `keep_items` only the outcome and the reasons are kept: the text report needs no
  // items of its own.
  JsonReport(Diagnostics& diagnostics, std::function<std::string(std::string_view)> to_utf8,
             std::function<void(std::string_view)> tell, int utc_offset_minutes,
             bool keep_items = true);

  void Describe(std::string_view version, std::string_view info_file, bool read_only);
  // A message the window would have shown in a box.
  void Message(std::string_view text) noexcept;
  // The whole document as JSON text, once the run is over.
  std::string Finish(std::string_view application, std::string_view install_folder);
  ExitCode exit_code() const;

  void RunBegun(const LocalDateTime& when) noexcept override;
  void LineBegun(int line, std::string_view text) noexcept override;
  void LineEnded() noexcept override;
  void Skipped() noexcept override;
  void Prompted(std::string_view folder) noexcept override;
  void EmptyVariable(std::string_view name) noexcept override;
  void UnknownType(std::string_view key, std::string_view value) noexcept override;
  void Action(std::string_view type, std::string_view value) noexcept override;
  void Exists(bool exists) noexcept override;
  void Modified(const LocalDateTime& when) noexcept override;
  void Version(std::string_view version) noexcept override;
  void TypeLibrary(std::string_view text, bool read) noexcept override;
  void RegistrationEnded(std::int32_t exit_code, bool started) noexcept override;
  void Registered(bool registered) noexcept override;
  void Created(bool created, std::string_view description) noexcept override;
  void FolderChosen(std::string_view folder) noexcept override;
  void Error(std::string_view error_text) noexcept override;
  void RunEnded(RunEnd end) noexcept override;

 private:
  std::string Utf8(std::string_view text) const;
  std::string IsoTime(const LocalDateTime& when) const;
  // Sets a field of the current line's item, if there is one; a failure loses the field only.
  template <typename Fill>
  void OnItem(Fill&& fill) noexcept;
  // Gives the reasons to the item and, one line each after the item's value, to `tell_`.
  void Tell(std::initializer_list<std::string_view> parts);
  void Explain(const LoadDiagnosis& diagnosis, std::string_view loader_field, bool loaders_as_list,
               std::string_view loader_text);
  void ExplainRegistration(std::int32_t exit_code, bool started);

  Diagnostics& diagnostics_;
  std::function<std::string(std::string_view)> to_utf8_;
  std::function<void(std::string_view)> tell_;
  int utc_offset_minutes_;
  bool keep_items_;
  Json document_ = Json::object();
  // Each item is written out as JSON text when its line ends, so that a run of many items keeps
  // text, not a tree of objects, and the document needs no second walk over them.
  std::string items_text_;
  // The library's own writer, as dump() uses it, writing at an item's depth into items_text_
  // rather than into a text of its own.
  nlohmann::detail::serializer<Json> item_writer_;
  Json messages_ = Json::array();
  bool in_line_ = false;
  Json item_ = Json::object();  // the current line's, until it ends
  bool has_item_ = false;
  std::string type_;   // the current line's item type, when it has one
  std::string value_;  // the current line's value, in the system's code page
  // RegSvr32's exit code on the current line, and whether it was started at all.
  std::optional<std::pair<std::int32_t, bool>> registration_;
  bool failed_ = false;  // the current line's item has not passed
  bool did_something_ = false;
  int passed_count_ = 0, failed_count_ = 0;
  std::optional<RunEnd> end_;
};

}  // namespace tarn::console
