// A file's SHA-256 through CNG and its Authenticode signature through WinVerifyTrust.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "services/file_identity.h"

namespace tarn::win32 {

class Sha256;
class Catalogs;

class Win32FileIdentity final : public FileIdentity {
 public:
  Win32FileIdentity();
  ~Win32FileIdentity();
  Win32FileIdentity(const Win32FileIdentity&) = delete;
  Win32FileIdentity& operator=(const Win32FileIdentity&) = delete;

  FileDigest Digest(const std::string& path) override;
  Signature SignatureOf(const std::string& path) override;

 private:
  // Made with the first digest and kept: a run may hash thousands of files.
  std::unique_ptr<Sha256> sha256_;
  std::vector<unsigned char> piece_;
  // Made with the first signature that a catalog is asked about, and kept.
  std::unique_ptr<Catalogs> catalogs_;
};

}  // namespace tarn::win32
