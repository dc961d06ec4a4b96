#include "services/win32/file_identity.h"

// Each of these needs the ones before it.
// clang-format off
#include <bcrypt.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <mscat.h>
#include <softpub.h>
// clang-format on

#include <array>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "services/texts.h"
#include "services/win32/code_page.h"
#include "services/win32/handles.h"
#include "services/win32/system_error.h"

namespace tarn::win32 {
namespace {

// Never the whole file in memory: an installation may hold files of gigabytes.
constexpr DWORD kPiece = 1 << 20;

[[noreturn]] void ThrowHashFailure(NTSTATUS status) {
  const auto code = static_cast<std::uint32_t>(status);
  throw Failure(DescribeSystemError(code, SystemMessage(code), text::kHashFailed),
                static_cast<std::int32_t>(code));
}

void Check(NTSTATUS status) {
  if (status < 0) ThrowHashFailure(status);
}

void CloseAlgorithm(BCRYPT_ALG_HANDLE algorithm) {
  ::BCryptCloseAlgorithmProvider(algorithm, 0);
}
void DestroyHash(BCRYPT_HASH_HANDLE hash) {
  ::BCryptDestroyHash(hash);
}
void ReleaseCatalogAdmin(HCATADMIN admin) {
  ::CryptCATAdminReleaseContext(admin, 0);
}
using UniqueAlgorithm = UniqueAny<HandleTraits<BCRYPT_ALG_HANDLE, CloseAlgorithm>>;
using UniqueHash = UniqueAny<HandleTraits<BCRYPT_HASH_HANDLE, DestroyHash>>;
using UniqueCatalogAdmin = UniqueAny<HandleTraits<HCATADMIN, ReleaseCatalogAdmin>>;

}  // namespace

// The provider and the hash object's memory serve every file; so does the hash itself where it
// can be used again after each result (Windows 8 and later). Windows 7 refuses that flag, and
// then each file gets a new hash in the same memory.
class Sha256 {
 public:
  Sha256() {
    Check(::BCryptOpenAlgorithmProvider(algorithm_.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    DWORD length = 0;
    ULONG written = 0;
    Check(::BCryptGetProperty(algorithm_.get(), BCRYPT_OBJECT_LENGTH,
                              reinterpret_cast<PUCHAR>(&length), sizeof length, &written, 0));
    object_.resize(length);
  }

  // A sum from nothing; what a sum cut short by a failed read took is dropped.
  void Start() {
    if (hash_ && clean_) return;
    hash_.reset();
    if (reusable_ && Create(BCRYPT_HASH_REUSABLE_FLAG) < 0) reusable_ = false;
    if (!reusable_) Check(Create(0));
    clean_ = true;
  }

  void Add(unsigned char* bytes, ULONG count) {
    clean_ = false;
    Check(::BCryptHashData(hash_.get(), bytes, count, 0));
  }

  // Lower-case hexadecimal digits.
  std::string Finish() {
    std::array<UCHAR, 32> sum{};
    clean_ = false;
    Check(::BCryptFinishHash(hash_.get(), sum.data(), static_cast<ULONG>(sum.size()), 0));
    clean_ = reusable_;
    std::string hex(2 * sum.size(), '0');
    for (std::size_t i = 0; i < sum.size(); ++i)
      std::snprintf(&hex[2 * i], 3, "%02x", static_cast<unsigned>(sum[i]));
    return hex;
  }

 private:
  NTSTATUS Create(ULONG flags) {
    return ::BCryptCreateHash(algorithm_.get(), hash_.put(), object_.data(),
                              static_cast<ULONG>(object_.size()), nullptr, 0, flags);
  }

  UniqueAlgorithm algorithm_;
  std::vector<UCHAR> object_;
  UniqueHash hash_;
  bool reusable_ = true;
  bool clean_ = false;  // the hash has taken nothing since it was made or finished
};

namespace {

// Nothing is fetched from the network: a PC being checked may have none, and a check must not
// wait for one. Revocation is not asked; certificates come from the local URL cache only.
WINTRUST_DATA OfflineTrustData() {
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  return data;
}

// The name of the first signer's certificate, empty when the provider kept none.
std::string SignerOf(HANDLE state) {
  CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer =
      provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* certificate = signer ? ::WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (!certificate || !certificate->pCert) return {};
  const DWORD length = ::CertGetNameStringW(certificate->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0,
                                            nullptr, nullptr, 0);
  if (length <= 1) return {};
  std::wstring name(length, L'\0');
  ::CertGetNameStringW(certificate->pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(),
                       length);
  return Narrow(name.data(), static_cast<int>(length - 1));
}

// One verification by the trust provider. The provider keeps its state for the signer's name to
// be read; it is closed however the caller leaves.
class TrustVerification {
 public:
  explicit TrustVerification(WINTRUST_DATA& data) : data_(data) {
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    result_ = static_cast<std::uint32_t>(
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_));
  }
  ~TrustVerification() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
  }
  TrustVerification(const TrustVerification&) = delete;
  TrustVerification& operator=(const TrustVerification&) = delete;

  TrustAnswer Answer() const {
    return {result_, SignerOf(data_.hWVTStateData), result_ ? SystemMessage(result_) : ""};
  }

 private:
  WINTRUST_DATA& data_;
  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  std::uint32_t result_ = 0;
};

// A catalog that holds a file's hash, released through the context that found it.
class CatalogOfHash {
 public:
  CatalogOfHash(HCATADMIN admin, BYTE* hash, DWORD size)
      : admin_(admin), info_(::CryptCATAdminEnumCatalogFromHash(admin, hash, size, 0, nullptr)) {}
  ~CatalogOfHash() {
    if (info_) ::CryptCATAdminReleaseCatalogContext(admin_, info_, 0);
  }
  CatalogOfHash(const CatalogOfHash&) = delete;
  CatalogOfHash& operator=(const CatalogOfHash&) = delete;
  HCATINFO get() const { return info_; }

 private:
  HCATADMIN admin_;
  HCATINFO info_;
};

using AcquireContext2 = BOOL(WINAPI*)(HCATADMIN*, const GUID*, PCWSTR, PCCERT_STRONG_SIGN_PARA,
                                      DWORD);
using CalcHashFromFileHandle2 = BOOL(WINAPI*)(HCATADMIN, HANDLE, DWORD*, BYTE*, DWORD);

}  // namespace

// The system's catalogs, asked through one context for every file of a run: acquiring it is a
// good part of a check's cost.
class Catalogs {
 public:
  Catalogs() {
    // The SHA-256 catalog functions came with Windows 8; looked up here, so that the exe still
    // starts on Windows 7, whose catalogs hold SHA-1 hashes.
    const HMODULE wintrust = ::GetModuleHandleA("wintrust.dll");
    const auto acquire2 = reinterpret_cast<AcquireContext2>(
        reinterpret_cast<void*>(::GetProcAddress(wintrust, "CryptCATAdminAcquireContext2")));
    hash2_ = reinterpret_cast<CalcHashFromFileHandle2>(reinterpret_cast<void*>(
        ::GetProcAddress(wintrust, "CryptCATAdminCalcHashFromFileHandle2")));
    GUID driver_action = DRIVER_ACTION_VERIFY;
    sha256_ = acquire2 && hash2_ &&
              acquire2(admin_.put(), &driver_action, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (!sha256_ && !::CryptCATAdminAcquireContext(admin_.put(), &driver_action, 0)) admin_.reset();
  }

  // The answer for the catalog that holds the file's hash; nothing when none does.
  std::optional<TrustAnswer> AnswerFor(HANDLE file, const std::wstring& path);

 private:
  UniqueCatalogAdmin admin_;
  CalcHashFromFileHandle2 hash2_ = nullptr;
  bool sha256_ = false;
};

std::optional<TrustAnswer> Catalogs::AnswerFor(HANDLE file, const std::wstring& path) {
  if (!admin_) return std::nullopt;
  std::array<BYTE, 64> hash{};
  DWORD size = static_cast<DWORD>(hash.size());
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  const BOOL hashed = sha256_ ? hash2_(admin_.get(), file, &size, hash.data(), 0)
                              : ::CryptCATAdminCalcHashFromFileHandle(file, &size, hash.data(), 0);
  if (!hashed) return std::nullopt;
  const CatalogOfHash catalog(admin_.get(), hash.data(), size);
  CATALOG_INFO info{};
  info.cbStruct = sizeof info;
  if (!catalog.get() || !::CryptCATCatalogInfoFromContext(catalog.get(), &info, 0))
    return std::nullopt;
  // A catalog names its members by their hash in upper-case hexadecimal digits.
  std::wstring tag;
  for (DWORD i = 0; i < size; ++i) {
    wchar_t digits[3];
    std::swprintf(digits, 3, L"%02X", static_cast<unsigned>(hash[i]));
    tag += digits;
  }
  // The record as Windows 8 extended it, with the context of a SHA-256 catalog; the headers of
  // this Windows 7 build describe the shorter one, which Windows 7 takes.
  struct {
    WINTRUST_CATALOG_INFO record;
    HCATADMIN admin;
  } member{};
  member.record.cbStruct = sha256_ ? sizeof member : sizeof member.record;
  member.record.pcwszCatalogFilePath = info.wszCatalogFile;
  member.record.pcwszMemberTag = tag.c_str();
  member.record.pcwszMemberFilePath = path.c_str();
  member.record.hMemberFile = file;
  member.record.pbCalculatedFileHash = hash.data();
  member.record.cbCalculatedFileHash = size;
  member.admin = admin_.get();
  WINTRUST_DATA data = OfflineTrustData();
  data.dwUnionChoice = WTD_CHOICE_CATALOG;
  data.pCatalog = &member.record;
  const TrustVerification verification(data);
  return verification.Answer();
}

namespace {

UniqueFile OpenForReading(const std::string& path) {
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) ThrowLastError();
  return file;
}

}  // namespace

Win32FileIdentity::Win32FileIdentity() = default;
Win32FileIdentity::~Win32FileIdentity() = default;

FileDigest Win32FileIdentity::Digest(const std::string& path) {
  const UniqueFile file = OpenForReading(path);
  if (!sha256_) sha256_ = std::make_unique<Sha256>();
  piece_.resize(kPiece);
  sha256_->Start();
  FileDigest digest;
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), piece_.data(), kPiece, &read, nullptr)) ThrowLastError();
    if (read == 0) break;
    sha256_->Add(piece_.data(), read);
    digest.size += read;
  }
  digest.sha256 = sha256_->Finish();
  return digest;
}

Signature Win32FileIdentity::SignatureOf(const std::string& path) {
  const UniqueFile file = OpenForReading(path);
  const std::wstring wide = Wide(path);
  WINTRUST_FILE_INFO subject{};
  subject.cbStruct = sizeof subject;
  subject.pcwszFilePath = wide.c_str();
  subject.hFile = file.get();
  WINTRUST_DATA data = OfflineTrustData();
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &subject;
  TrustAnswer embedded;
  {
    const TrustVerification verification(data);
    embedded = verification.Answer();
  }
  return JudgeSignature(embedded, [&] {
    if (!catalogs_) catalogs_ = std::make_unique<Catalogs>();
    return catalogs_->AnswerFor(file.get(), wide);
  });
}

}  // namespace tarn::win32
