// A file's identity under Wine: the SHA-256 against sha256sum's, and what the trust provider
// makes of a signed, an unsigned and a tampered DLL (the fixtures signed at build time).
#include <windows.h>

#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "services/paths.h"
#include "services/win32/desktop.h"
#include "services/win32/file_identity.h"
#include "services/win32/files.h"

namespace tarn::win32 {
namespace {

std::string Fixture(const std::string& name) {
  return CombinePath(GetFilePathOnly(ExePath()), "fixtures\\" + name);
}

// The first word of what sha256sum wrote for the fixture at build time.
std::string Sha256Sum(const std::string& name) {
  Win32FileSystem files;
  const std::string line = files.ReadAll(Fixture(name + ".sha256"));
  return line.substr(0, line.find(' '));
}

TEST(FileIdentity, DigestIsSha256SumsAndTheLengthOfEveryFixture) {
  Win32FileSystem files;
  Win32FileIdentity identity;  // one object for all: its hash is used again
  for (const std::string name : {"tarn_unsigned", "tarn_signed", "tarn_tampered", "tarn_long"}) {
    const FileDigest digest = identity.Digest(Fixture(name + ".dll"));
    EXPECT_EQ(digest.sha256, Sha256Sum(name)) << name;
    EXPECT_EQ(digest.size, files.Length(Fixture(name + ".dll"))) << name;
  }
}

TEST(FileIdentity, AMissingFileFailsWithItsDescription) {
  Win32FileIdentity identity;
  const std::string missing = Fixture("no such file.dll");
  const std::function<void()> asks[] = {[&] { identity.Digest(missing); },
                                        [&] { identity.SignatureOf(missing); }};
  for (const auto& ask : asks) {
    try {
      ask();
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_STREQ(failure.what(), "File not found");
    }
  }
}

constexpr char kSigner[] = "Tarn Test Signer";
constexpr char kBadDigest[] = "The digital signature of the object did not verify.";

TEST(FileSignature, UnsignedUntrustedTamperedAndTrustedAreToldApart) {
  Win32FileIdentity identity;
  const Signature none = identity.SignatureOf(Fixture("tarn_unsigned.dll"));
  EXPECT_EQ(none.status, SignatureStatus::kUnsigned);
  EXPECT_EQ(none.signer, "");
  EXPECT_EQ(none.reason, "");

  const Signature untrusted = identity.SignatureOf(Fixture("tarn_signed.dll"));
  EXPECT_EQ(untrusted.status, SignatureStatus::kUntrusted);
  EXPECT_EQ(untrusted.signer, kSigner);
  EXPECT_EQ(untrusted.reason,
            "A certificate chain processed, but terminated in a root certificate which is not "
            "trusted by the trust provider.");
  EXPECT_FALSE(untrusted.by_catalog);

  // This Wine reads no signer of a file whose digest does not verify.
  const Signature tampered = identity.SignatureOf(Fixture("tarn_tampered.dll"));
  EXPECT_EQ(tampered.status, SignatureStatus::kUntrusted);
  EXPECT_EQ(tampered.reason, kBadDigest);

  // No root of this user's can be made trusted here: this Wine's Root store is the host's
  // certificates. It does trust a certificate signed with SHA-256 without looking at its root (its
  // signature hash does not fit the 20 bytes that Wine asks for, and the policy check is skipped);
  // Windows would answer as above.
  const Signature trusted = identity.SignatureOf(Fixture("tarn_signed_sha256.dll"));
  EXPECT_EQ(trusted.status, SignatureStatus::kTrusted);
  EXPECT_EQ(trusted.signer, kSigner);
  EXPECT_EQ(trusted.reason, "");
}

}  // namespace
}  // namespace tarn::win32
