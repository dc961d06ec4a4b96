// Which verdict a file's signature gets from its own signature and a catalog's: the catalogs
// cannot be reached under Wine, which keeps none.
#include <gtest/gtest.h>
#include <optional>

#include "services/file_identity.h"

namespace tarn {
namespace {

constexpr std::uint32_t kNoSignature = 0x800B0100;
constexpr std::uint32_t kFormUnknown = 0x800B0003;  // a file that holds no signature of any form
constexpr std::uint32_t kUntrustedRoot = 0x800B0109;
constexpr std::uint32_t kBadDigest = 0x80096010;
constexpr std::uint32_t kExpired = 0x800B0101;

TEST(JudgeSignature, TheFilesOwnFirstThenACatalogThatTrustsItOrSignsAnUnsignedFile) {
  const TrustAnswer vendor{0, "Vendor", ""};
  const TrustAnswer windows{0, "Microsoft Windows", ""};
  const struct {
    const char* what;
    TrustAnswer own;
    std::optional<TrustAnswer> catalog;
    SignatureStatus status;
    std::string signer, reason;
    bool by_catalog;
  } cases[] = {
      {"trusted by itself", vendor, windows, SignatureStatus::kTrusted, "Vendor", "", false},
      {"no signature, no catalog",
       {kNoSignature, "", ""},
       std::nullopt,
       SignatureStatus::kUnsigned,
       "",
       "",
       false},
      {"a text file in a catalog",
       {kFormUnknown, "", ""},
       windows,
       SignatureStatus::kTrusted,
       "Microsoft Windows",
       "",
       true},
      {"an untrusted own signature, a trusted catalog",
       {kUntrustedRoot, "Vendor", ""},
       windows,
       SignatureStatus::kTrusted,
       "Microsoft Windows",
       "",
       true},
      {"tampered, in no catalog",
       {kBadDigest, "", ""},
       std::nullopt,
       SignatureStatus::kUntrusted,
       "",
       "The digital signature of the object did not verify.",
       false},
      {"unsigned, in an expired catalog",
       {kNoSignature, "", ""},
       TrustAnswer{kExpired, "Old", ""},
       SignatureStatus::kUntrusted,
       "Old",
       "A required certificate is not within its validity period when verifying against the "
       "current system clock or the timestamp in the signed file.",
       true},
      {"untrusted by itself and by a catalog",
       {kUntrustedRoot, "Vendor", ""},
       TrustAnswer{kExpired, "Old", ""},
       SignatureStatus::kUntrusted,
       "Vendor",
       "A certificate chain processed, but terminated in a root certificate which is not trusted "
       "by the trust provider.",
       false},
  };
  for (const auto& c : cases) {
    int asked = 0;
    const Signature signature = JudgeSignature(c.own, [&] {
      ++asked;
      return c.catalog;
    });
    EXPECT_EQ(signature.status, c.status) << c.what;
    EXPECT_EQ(signature.signer, c.signer) << c.what;
    EXPECT_EQ(signature.reason, c.reason) << c.what;
    EXPECT_EQ(signature.by_catalog, c.by_catalog) << c.what;
    // A file trusted by its own signature needs no catalog: looking costs a hash of the file.
    EXPECT_EQ(asked, c.own.result == 0 ? 0 : 1) << c.what;
  }
}

}  // namespace
}  // namespace tarn
