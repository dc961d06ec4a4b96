// Why a component would not register, or a class's server could not be created: the two classic
// causes, found without loading the file. Asked only after a failure, and only by the console
// edition's report; the window's report never shows them.
#pragma once

#include <string>
#include <vector>

namespace tarn {

struct LoadDiagnosis {
  // The PE machine of the file and of the process that tried to load it ("x86", "x64",
  // "arm64", or the machine word in hexadecimal); both empty unless they differ.
  std::string file_machine;
  std::string loader_machine;
  // The DLLs the file imports, directly, that the loader's search order does not find.
  std::vector<std::string> missing_dependencies;

  bool Empty() const { return file_machine.empty() && missing_dependencies.empty(); }
};

class Diagnostics {
 public:
  // A component file that the registration tool failed to register; the loader is that tool.
  virtual LoadDiagnosis ExplainRegistration(const std::string& path) = 0;
  // A programmatic identifier whose object could not be created: its registered in-process
  // server, the loader being this process. Empty when it names no server file.
  virtual LoadDiagnosis ExplainCreation(const std::string& prog_id) = 0;

 protected:
  ~Diagnostics() = default;
};

}  // namespace tarn
