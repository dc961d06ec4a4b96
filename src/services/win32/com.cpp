#include "services/win32/com.h"

#include <windows.h>

#include <oleauto.h>

#include <optional>
#include <type_traits>
#include <utility>

#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/handles.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

std::string GuidText(const GUID& guid) {
  wchar_t text[40] = L"";
  const int length = ::StringFromGUID2(guid, text, 40);
  return Narrow(text, length > 0 ? length - 1 : 0);
}

// A type's attributes, held while they are read.
class TypeAttributes {
 public:
  explicit TypeAttributes(ITypeInfo* type) : type_(type) {
    if (FAILED(type->GetTypeAttr(&attributes_))) attributes_ = nullptr;
  }
  TypeAttributes(const TypeAttributes&) = delete;
  TypeAttributes& operator=(const TypeAttributes&) = delete;
  ~TypeAttributes() {
    if (attributes_) type_->ReleaseTypeAttr(attributes_);
  }
  const TYPEATTR* get() const { return attributes_; }

 private:
  ITypeInfo* type_;
  TYPEATTR* attributes_ = nullptr;
};

// The interface that a client of the class gets by default: the one marked default that is no
// source of events, else, as where no interface is marked, the first that is no source.
UniqueCom<ITypeInfo> DefaultInterface(ITypeInfo* coclass, WORD interfaces) {
  std::optional<UINT> chosen;
  for (UINT i = 0; i < interfaces; ++i) {
    INT flags = 0;
    if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || (flags & IMPLTYPEFLAG_FSOURCE)) continue;
    if (!chosen || (flags & IMPLTYPEFLAG_FDEFAULT)) chosen = i;
    if (flags & IMPLTYPEFLAG_FDEFAULT) break;
  }
  UniqueCom<ITypeInfo> found;
  HREFTYPE reference = 0;
  if (!chosen || FAILED(coclass->GetRefTypeOfImplType(*chosen, &reference)) ||
      FAILED(coclass->GetRefTypeInfo(reference, found.put())))
    found.release();  // whatever a failed call left there is no reference of ours
  return found;
}

// Whether a client can reach the interface through IDispatch, as the object check asks for it.
bool IsAutomation(ITypeInfo* interface_type) {
  const TypeAttributes attributes(interface_type);
  const TYPEATTR* type = attributes.get();
  return type && (type->typekind == TKIND_DISPATCH ||
                  (type->typekind == TKIND_INTERFACE && (type->wTypeFlags & TYPEFLAG_FDUAL)));
}

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

  std::string Guid() override { return Attributes().guid; }

  // Only the library's own descriptions are read: nothing of the class is created.
  std::vector<std::string> AutomationClasses() override {
    return CoclassesWhere([](ITypeInfo* coclass, const TYPEATTR& attributes) {
      UniqueCom<ITypeInfo> default_interface = DefaultInterface(coclass, attributes.cImplTypes);
      return default_interface && IsAutomation(default_interface.get());
    });
  }

  TypeLibraryAttributes Attributes() override {
    TLIBATTR* attributes = nullptr;
    const HRESULT result = Library()->GetLibAttr(&attributes);
    if (FAILED(result)) ThrowSystemError(static_cast<DWORD>(result));
    const TypeLibraryAttributes read{GuidText(attributes->guid), attributes->wMajorVerNum,
                                     attributes->wMinorVerNum, attributes->lcid,
                                     static_cast<TypeLibrarySystem>(attributes->syskind)};
    Library()->ReleaseTLibAttr(attributes);
    return read;
  }

  std::vector<std::string> Classes() override {
    return CoclassesWhere([](ITypeInfo*, const TYPEATTR&) { return true; });
  }

 private:
  ITypeLib* Library() const {
    if (!library_) ThrowSystemError(static_cast<DWORD>(TYPE_E_CANTLOADLIBRARY));
    return library_.get();
  }

  // The identifiers of the library's coclasses that `taken` accepts, in the library's order; a
  // type whose description cannot be read is left out.
  template <typename Taken>
  std::vector<std::string> CoclassesWhere(Taken taken) const {
    ITypeLib* library = Library();
    std::vector<std::string> classes;
    const UINT count = library->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
      TYPEKIND kind{};
      UniqueCom<ITypeInfo> coclass;
      if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
      if (FAILED(library->GetTypeInfo(i, coclass.put()))) {
        coclass.release();  // not a reference of ours
        continue;
      }
      const TypeAttributes attributes(coclass.get());
      if (attributes.get() && taken(coclass.get(), *attributes.get()))
        classes.push_back(GuidText(attributes.get()->guid));
    }
    return classes;
  }

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

std::string Win32Com::ClassOf(const std::string& prog_id) {
  CLSID id{};
  return SUCCEEDED(::CLSIDFromProgID(Wide(prog_id).c_str(), &id)) ? GuidText(id) : std::string();
}

}  // namespace tarn::win32
