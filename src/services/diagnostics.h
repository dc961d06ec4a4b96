// Why a component would not register, or a class's object could not be created, found without
// loading the file. Asked only after a failure, and only by the console edition's report; the
// window's report never shows them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/platform.h"

namespace tarn {

struct LoadDiagnosis {
  // The PE machine of the file ("x86", "x64", "arm64", or the machine word in hexadecimal) and
  // the machines of the loaders that could have loaded it; both empty unless the file's machine
  // is none of those.
  std::string file_machine;
  std::vector<std::string> loader_machines;
  // The DLLs the file imports, directly, that the loader's search order does not find.
  std::vector<std::string> missing_dependencies;
  // The side-by-side assemblies that the file's manifest depends on when the loader cannot make
  // its activation context, as AssemblyTitle writes them.
  std::vector<std::string> missing_assemblies;
};

struct CreationDiagnosis {
  // The registry views ("x64", "x86") in which the class has a server registered.
  std::vector<std::string> registered_for;
  // The view that this process reads.
  std::string loader_view;
  // Its in-process server, loaded into this process.
  LoadDiagnosis server;
};

// What RegSvr32's exit code means; the codes are the same on every Windows and under Wine.
enum class RegistrationFailure {
  kNone,        // 0: registered
  kArguments,   // 1: bad arguments
  kOle,         // 2: OLE could not start
  kLoad,        // 3: the file could not be loaded
  kEntryPoint,  // 4: no DllRegisterServer: not a self-registering component
  kServer,      // 5: DllRegisterServer failed, most often access denied without elevation
  kNotStarted,  // RegSvr32 itself could not be started
  kTimedOut,    // RegSvr32 outlived the time limit and was ended
  kNoExitCode,  // RegSvr32 ended, but its exit code could not be read
  kOther,
};
constexpr RegistrationFailure RegistrationFailureOf(const ProgramEnd& end) {
  switch (end.kind) {
    case ProgramEnd::Kind::kNotStarted:
      return RegistrationFailure::kNotStarted;
    case ProgramEnd::Kind::kTimedOut:
      return RegistrationFailure::kTimedOut;
    case ProgramEnd::Kind::kNoExitCode:
      return RegistrationFailure::kNoExitCode;
    case ProgramEnd::Kind::kExited:
      break;
  }
  switch (end.exit_code) {
    case 0:
      return RegistrationFailure::kNone;
    case 1:
      return RegistrationFailure::kArguments;
    case 2:
      return RegistrationFailure::kOle;
    case 3:
      return RegistrationFailure::kLoad;
    case 4:
      return RegistrationFailure::kEntryPoint;
    case 5:
      return RegistrationFailure::kServer;
    default:
      return RegistrationFailure::kOther;
  }
}

class Diagnostics {
 public:
  // Whether this process runs elevated: the RegSvr32 it starts has its token.
  virtual bool Elevated() = 0;
  // A component file that RegSvr32 could not load. Its machine is named only when no RegSvr32
  // of that machine exists on this Windows: otherwise RegSvr32 hands it to its twin.
  virtual LoadDiagnosis ExplainRegistration(const std::string& path) = 0;
  // A programmatic identifier whose object could not be created: the registry views that hold
  // its class, and its in-process server, the loader being this process.
  virtual CreationDiagnosis ExplainCreation(const std::string& prog_id) = 0;

 protected:
  ~Diagnostics() = default;
};

}  // namespace tarn
