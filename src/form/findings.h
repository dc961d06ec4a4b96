// What a run finds, told as it is found, for a report that is not the log's text: the console
// edition's JSON report is built from these calls in the same pass that writes the log. Every
// call has an empty body here, so a form that tells no one (the window's) pays nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "services/platform.h"

namespace tarn {

enum class RunEnd {
  kCompleted,  // every item line was done
  kStopped,    // the user stopped the script, or asked to close during the run
  kBroken,     // the runner's own failure handler ended the run
};

class Findings {
 public:
  // The run's start, as its header gives it.
  virtual void RunBegun(const LocalDateTime& /*when*/) noexcept {}
  // An item line that has an "=" and is no comment, numbered from 1 as the info file's lines.
  // The calls up to LineEnded are about this line.
  virtual void LineBegun(int /*line*/, std::string_view /*text*/) noexcept {}
  virtual void LineEnded() noexcept {}
  // The line names the install folder after its selection was cancelled: it is not acted on.
  virtual void Skipped() noexcept {}
  // A PROMPT value was answered: the chosen folder, or empty text when none was chosen.
  virtual void Prompted(std::string_view /*folder*/) noexcept {}
  virtual void EmptyVariable(std::string_view /*name*/) noexcept {}
  virtual void UnknownType(std::string_view /*key*/, std::string_view /*value*/) noexcept {}
  // The line's action, by its item type as written, on the value after prompt and variables.
  virtual void Action(std::string_view /*type*/, std::string_view /*value*/) noexcept {}
  // Whether the file (or, for an install folder, the folder) exists.
  virtual void Exists(bool /*exists*/) noexcept {}
  // The file's last write, in its own date's offset from UTC.
  virtual void Modified(const ZonedDateTime& /*when*/) noexcept {}
  virtual void Version(std::string_view /*version*/) noexcept {}
  // The type library's GUID; when none could be read, `read` is false and the text says why.
  virtual void TypeLibrary(std::string_view /*text*/, bool /*read*/) noexcept {}
  // How RegSvr32 ended, or that it could not be started at all.
  virtual void RegistrationEnded(const ProgramEnd& /*end*/) noexcept {}
  virtual void Registered(bool /*registered*/) noexcept {}
  // The object was created; otherwise the description says why not.
  virtual void Created(bool /*created*/, std::string_view /*description*/) noexcept {}
  // The folder chosen after an install folder was not found; empty text when none was.
  virtual void FolderChosen(std::string_view /*folder*/) noexcept {}
  // An error text the log received in place of the rest of the item's block.
  virtual void Error(std::string_view /*error_text*/) noexcept {}
  virtual void RunEnded(RunEnd /*end*/) noexcept {}

 protected:
  ~Findings() = default;
};

// The findings of a form that tells no one.
Findings& NoFindings() noexcept;

}  // namespace tarn
