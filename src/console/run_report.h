// The console edition's record of a run, told by the form as the run writes its log: each item
// line's findings as its ItemRecord, the outcome of every line, the reasons behind a failure, and
// the drift from a good PC. Each of those has a class of its own; this one feeds them, in the
// order that the report's text needs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "console/baseline.h"
#include "console/item_record.h"
#include "console/json_writer.h"
#include "console/outcome.h"
#include "form/findings.h"
#include "services/file_identity.h"
#include "services/reasons.h"
#include "services/registration_audit.h"

namespace tarn::console {

class RunReport final : public Findings {
 public:
  // `to_utf8` turns a text of the system's code page into UTF-8, `from_utf8` back; `tell`
  // receives each reason behind a failure, and each drift from the baseline, as one line.
  // `utc_offset_minutes` is the local time's offset now, given to the run's start; a file's time
  // comes with its own.
  // Without `json` and a baseline no item is recorded.
  // `identify` gives the facts of a File or ActiveXComponent that exists, when an item keeps them;
  // `audit` the registration of a component whose type library was read, asked before RegSvr32
  // runs. A run that registers nothing (read-only) fails a component whose classes are not
  // registered to it.
  struct Options {
    std::function<std::string(std::string_view)> to_utf8, from_utf8;
    std::function<void(std::string_view)> tell;
    int utc_offset_minutes = 0;
    bool json = true;
    Baseline* baseline = nullptr;
    std::function<FileFacts(const std::string& path)> identify = {};
    std::function<std::optional<RegistrationAudit>(const std::string& component)> audit = {};
  };
  RunReport(Diagnostics& diagnostics, Options options);

  void Describe(std::string_view version, std::string_view info_file, bool read_only);
  // The baseline's file, as the report names it.
  void CompareWith(std::string_view baseline_file);
  // A message the window would have shown in a box.
  void Message(std::string_view text) noexcept;
  // The whole document as JSON text, once the run is over; without `json` only the good PC's
  // items that this run lacks are told.
  std::string Finish(std::string_view application, std::string_view install_folder);
  ExitCode exit_code() const { return outcome_.exit_code(); }

  void RunBegun(const LocalDateTime& when) noexcept override;
  void LineBegun(int line, std::string_view text) noexcept override;
  void LineEnded() noexcept override;
  void Skipped() noexcept override;
  void Prompted(std::string_view folder) noexcept override;
  void EmptyVariable(std::string_view name) noexcept override;
  void UnknownType(std::string_view key, std::string_view value) noexcept override;
  void Action(std::string_view type, std::string_view value) noexcept override;
  void Exists(bool exists) noexcept override;
  void Modified(const ZonedDateTime& when) noexcept override;
  void Version(std::string_view version) noexcept override;
  void TypeLibrary(std::string_view text, bool read) noexcept override;
  void RegistrationEnded(const ProgramEnd& end) noexcept override;
  void Registered(bool registered) noexcept override;
  void Created(bool created, std::string_view description) noexcept override;
  void FolderChosen(std::string_view folder) noexcept override;
  void Error(std::string_view error_text) noexcept override;
  void RunEnded(RunEnd end) noexcept override;

 private:
  std::string Utf8(std::string_view text) const;
  // A UTF-8 text of the good PC's report in the system's code page, for a line on stderr.
  std::string Local(const std::string& utf8) const;
  // Whether the current line's item keeps the member: without a JSON report, only what a
  // comparison reads.
  bool Records(std::size_t slot) const {
    return has_item_ && (options_.json || Read(kMembers[slot]));
  }
  // Sets a member that the current line's item keeps; a failure loses the member only.
  void Set(std::size_t slot, Json value) noexcept;
  bool Has(std::size_t slot) const { return item_[slot].has_value(); }
  void Tell(const std::vector<std::string>& lines) const;
  void SetLoad(const LoadDiagnosis& diagnosis, std::string_view loader_member, bool as_list);
  void SetRegistration(const RegistrationReason& reason);
  void SetIdentity(const FileFacts& facts);
  // The audit of the current line's component; a read-only run fails it where a class is not
  // registered to it.
  void AuditRegistration();
  // Compares the ended line's item with the good PC's; its drift fails it.
  void CompareItem();
  // "line N: TYPE VALUE: ", how a drift line names this run's current item.
  std::string DriftHead() const;

  Reasons reasons_;
  Options options_;
  Outcome outcome_;
  JsonWriter writer_;
  Json document_ = Json::object();
  Json messages_ = Json::array();
  Json missing_ = Json::array(), extra_ = Json::array();  // the good PC's items unmatched, ours
  ItemRecord item_;                                       // the current line's, until it ends
  bool has_item_ = false;
  std::string type_;   // the current line's item type, when it has one
  std::string value_;  // the current line's value, in the system's code page
  std::string text_;   // the current line's text, in the system's code page
  std::string baseline_file_;
  bool read_only_ = false;
  // How RegSvr32 ended on the current line.
  std::optional<ProgramEnd> registration_;
};

}  // namespace tarn::console
