#include "services/win32/com.h"

#include <windows.h>

#include <oleauto.h>

#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

// Our own reader: the system's loader reads the library out of the file's resources.
class Win32TypeLibReader final : public TypeLibReader {
 public:
  ~Win32TypeLibReader() override { Release(); }

  void SetFile(const std::string& path) override {
    Release();
    // REGKIND_NONE: nothing is registered, and no code of the file runs.
    const HRESULT result = ::LoadTypeLibEx(Wide(path).c_str(), REGKIND_NONE, &library_);
    if (FAILED(result)) {
      library_ = nullptr;
      ThrowSystemError(static_cast<DWORD>(result));
    }
  }

  std::string Guid() override {
    if (library_ == nullptr) ThrowSystemError(static_cast<DWORD>(TYPE_E_CANTLOADLIBRARY));
    TLIBATTR* attributes = nullptr;
    const HRESULT result = library_->GetLibAttr(&attributes);
    if (FAILED(result)) ThrowSystemError(static_cast<DWORD>(result));
    wchar_t text[40] = L"";
    const int length = ::StringFromGUID2(attributes->guid, text, 40);
    library_->ReleaseTLibAttr(attributes);
    return Narrow(text, length > 0 ? length - 1 : 0);
  }

 private:
  void Release() {
    if (library_ != nullptr) library_->Release();
    library_ = nullptr;
  }

  ITypeLib* library_ = nullptr;
};

class HeldObject final : public ComObject {
 public:
  explicit HeldObject(IDispatch* object) : object_(object) {}
  ~HeldObject() override { object_->Release(); }
  HeldObject(const HeldObject&) = delete;
  HeldObject& operator=(const HeldObject&) = delete;

 private:
  IDispatch* object_;
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
  IDispatch* object = nullptr;
  result = ::CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, reinterpret_cast<void**>(&object));
  if (FAILED(result) || object == nullptr) ThrowCreationError(FAILED(result) ? result : E_POINTER);
  return std::make_unique<HeldObject>(object);
}

}  // namespace tarn::win32
