// A file's identity beyond its name and version: its length, its SHA-256 and who signed it
// (Authenticode), so that two PCs' copies of one file can be told the same or not.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "services/failure.h"
#include "services/platform.h"

namespace tarn {

// A file's contents summed up: the bytes read from its start to its end and their SHA-256.
struct FileDigest {
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits
};

enum class SignatureStatus {
  kTrusted,    // signed, and the signature verifies up to a root this PC trusts
  kUntrusted,  // signed, but the signature or its certificates do not hold; `reason` says why
  kUnsigned,   // neither the file nor any catalog of this PC signs it
};

struct Signature {
  SignatureStatus status = SignatureStatus::kUnsigned;
  // The signer's name as its certificate gives it (system code page); empty when unsigned, or when
  // a signature so broken that no certificate could be read.
  std::string signer;
  std::string reason;       // only with kUntrusted: what the trust provider found
  bool by_catalog = false;  // the signature is that of a system catalog holding the file's hash
};

class FileIdentity {
 public:
  // Reads the file once, in pieces; throws a Failure when it cannot be opened or read.
  virtual FileDigest Digest(const std::string& path) = 0;
  // Checks the file's own signature, and where that does not make it trusted, the system's
  // catalogs, without fetching anything from the network (no revocation lists, no certificates).
  // Throws a Failure when the file cannot be opened.
  virtual Signature SignatureOf(const std::string& path) = 0;

 protected:
  ~FileIdentity() = default;
};

// What the trust provider answered for one subject: the file's own signature or a catalog's.
struct TrustAnswer {
  std::uint32_t result = 0;   // 0 is trusted; otherwise the provider's HRESULT
  std::string signer;         // empty when none could be read
  std::string platform_text;  // the system's message for `result`, empty when it has none
};

// The provider's results that mean no signature was there to judge.
bool MeansUnsigned(std::uint32_t result);

// The words for an untrusted result: the tool's own for the results a signature check meets,
// as not every system has messages for them; else the system's; never empty.
std::string TrustReason(const TrustAnswer& answer);

// The verdict from the file's own signature and, asked only when that is not trusted, the
// catalogs' (nothing when no catalog holds the file's hash). A trusted catalog makes the file
// trusted; else a broken signature of the file's own outweighs a catalog's.
Signature JudgeSignature(const TrustAnswer& embedded,
                         const std::function<std::optional<TrustAnswer>()>& catalog);

// What the console's report gives of a file that exists, beyond its date and version. A part that
// could not be had is absent, with the failure's description.
struct FileFacts {
  std::optional<FileDigest> digest;
  std::string digest_failure;
  std::optional<std::uint16_t> image_machine;  // the PE machine word of an image
  std::optional<Signature> signature;
  std::string signature_failure;
};
FileFacts ReadFileFacts(FileSystem& files, FileIdentity& identity, const std::string& path);

}  // namespace tarn
