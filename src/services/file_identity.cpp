#include "services/file_identity.h"

#include "services/load_diagnosis.h"
#include "services/texts.h"

namespace tarn {

bool MeansUnsigned(std::uint32_t result) {
  constexpr std::uint32_t kNoSignature = 0x800B0100;      // TRUST_E_NOSIGNATURE
  constexpr std::uint32_t kFormUnknown = 0x800B0003;      // TRUST_E_SUBJECT_FORM_UNKNOWN
  constexpr std::uint32_t kProviderUnknown = 0x800B0001;  // TRUST_E_PROVIDER_UNKNOWN
  return result == kNoSignature || result == kFormUnknown || result == kProviderUnknown;
}

std::string TrustReason(const TrustAnswer& answer) {
  for (const text::ClassicDescription& reason : text::kTrustReasons)
    if (reason.code == answer.result) return std::string(reason.text);
  return DescribeSystemError(answer.result, answer.platform_text);
}

namespace {

Signature Verdict(const TrustAnswer& answer, bool by_catalog) {
  Signature signature;
  if (MeansUnsigned(answer.result)) return signature;
  signature.by_catalog = by_catalog;
  signature.signer = answer.signer;
  if (answer.result == 0) {
    signature.status = SignatureStatus::kTrusted;
  } else {
    signature.status = SignatureStatus::kUntrusted;
    signature.reason = TrustReason(answer);
  }
  return signature;
}

}  // namespace

Signature JudgeSignature(const TrustAnswer& embedded,
                         const std::function<std::optional<TrustAnswer>()>& catalog) {
  const Signature own = Verdict(embedded, false);
  if (own.status == SignatureStatus::kTrusted) return own;
  const std::optional<TrustAnswer> listed = catalog();
  if (!listed) return own;
  const Signature by_catalog = Verdict(*listed, true);
  if (by_catalog.status == SignatureStatus::kTrusted || own.status == SignatureStatus::kUnsigned)
    return by_catalog;
  return own;
}

FileFacts ReadFileFacts(FileSystem& files, FileIdentity& identity, const std::string& path) {
  FileFacts facts;
  try {
    facts.digest = identity.Digest(path);
  } catch (const Failure& failure) {
    facts.digest_failure = failure.what();
  }
  try {
    facts.image_machine = ImageMachine(files, path);
  } catch (const Failure&) {
  }
  try {
    facts.signature = identity.SignatureOf(path);
  } catch (const Failure& failure) {
    facts.signature_failure = failure.what();
  }
  return facts;
}

}  // namespace tarn
