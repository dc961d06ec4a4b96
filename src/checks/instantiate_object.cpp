// The object instantiation check: the block an InstantiateObject item line writes.
#include "form/main_form.h"
#include "services/texts.h"

namespace tarn {

// The object is held until the procedure ends and then released; nothing of it is used.
void MainForm::InstantiateObjectCheck(const std::string& prog_id) noexcept {
  std::unique_ptr<ComObject> object;
  Guarded({Mode::kLogAndLeave, text::kProcedureInstantiateObjectCheck}, *this, [&] {
    LogEntry("");
    LogEntry(std::string(text::kInstantiateHeading) + prog_id);
    // A state of its own, empty before the attempt: no earlier failure can show up here.
    ErrorState creation;
    creation.Attempt([&] { object = com_.CreateObject(prog_id); });
    if (object) {
      LogEntry(text::kInstantiateOk);
      findings_.Created(true, {});
      return;
    }
    std::string description = creation.description();
    if (description.empty()) description = text::kCannotCreateObject;
    LogEntry(std::string(text::kInstantiateFailed) + description);
    findings_.Created(false, description);
  });
  object.reset();
}

}  // namespace tarn
