#include "services/win32/com.h"

#include <windows.h>

#include <oleauto.h>

#include <type_traits>
#include <utility>

#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/handles.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

// Our own reader: the system's loader reads the library out of the file's resources.
class Win32TypeLibReader final : public TypeLibReader {
 public:
  void SetFile(const std::string& path) override {
    // REGKIND_NONE: nothing is registered, and no code of the file runs.
    const HRESULT result = ::LoadTypeLibEx(Wide(path).c_str(), REGKIND_NONE, library_.put());
    if (FAILED(result)) {
      library_.release();  // whatever the failed call left there is no reference of ours
      ThrowSystemError(static_cast<DWORD>(result));
    }
  }

  std::string Guid() override {
    if (!library_) ThrowSystemError(static_cast<DWORD>(TYPE_E_CANTLOADLIBRARY));
    TLIBATTR* attributes = nullptr;
    const HRESULT result = library_.get()->GetLibAttr(&attributes);
    if (FAILED(result)) ThrowSystemError(static_cast<DWORD>(result));
    wchar_t text[40] = L"";
    const int length = ::StringFromGUID2(attributes->guid, text, 40);
    library_.get()->ReleaseTLibAttr(attributes);
    return Narrow(text, length > 0 ? length - 1 : 0);
  }

 private:
  UniqueCom<ITypeLib> library_;
};
// A copy would release the one library twice.
static_assert(!std::is_copy_constructible_v<Win32TypeLibReader> &&
              !std::is_copy_assignable_v<Win32TypeLibReader>);

class HeldObject final : public ComObject {
 public:
  explicit HeldObject(UniqueCom<IDispatch> object) : object_(std::move(object)) {}

 private:
  UniqueCom<IDispatch> object_;
};

// Creation failures are worded as Windows programs have always worded them when the system has
// no text of its own.
[[noreturn]] void ThrowCreationError(HRESULT result) {
  const DWORD code = static_cast<DWORD>(result);
  throw Failure(DescribeSystemError(code, SystemMessage(code), text::kCannotCreateObject),
                static_cast<std::int32_t>(code));
}

}  // namespace

std::unique_ptr<TypeLibReader> Win32Com::NewTypeLibReader() {
  return std::make_unique<Win32TypeLibReader>();
}

std::unique_ptr<ComObject> Win32Com::CreateObject(const std::string& prog_id) {
  CLSID id{};
  HRESULT result = ::CLSIDFromProgID(Wide(prog_id).c_str(), &id);
  if (FAILED(result)) ThrowCreationError(result);
  UniqueCom<IDispatch> object;
  result = ::CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(object.put()));
  if (FAILED(result)) {
    object.release();  // not a reference of ours
    ThrowCreationError(result);
  }
  if (!object) ThrowCreationError(E_POINTER);
  // Held until the new owner has it, also when there is no memory for that owner.
  return std::make_unique<HeldObject>(std::move(object));
}

}  // namespace tarn::win32
