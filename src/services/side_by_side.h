// Side-by-side assemblies: an image whose manifest names dependent assemblies has its imports
// resolved through an activation context made from that manifest, before the known DLLs and the
// folders of the loader's search. The VC 2005/2008 runtimes, MFC, common controls 6 and private
// assemblies beside an application are found this way.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarn {

// An import that an assembly of the image's activation context serves.
struct AssemblyDll {
  std::string dll;       // as the image imports it
  std::string assembly;  // its name, version and machine, as AssemblyTitle writes them
  std::string path;      // the file the loader takes
  std::string manifest;  // the assembly's manifest file
};

struct ImageAssemblies {
  // When the activation context cannot be made, the loader refuses the image: the assemblies
  // that its manifest depends on, as AssemblyTitle writes them.
  std::vector<std::string> missing;
  std::vector<AssemblyDll> served;
  const AssemblyDll* Serving(std::string_view dll) const;
};

class Assemblies {
 public:
  // The image at `path`, which imports `imports`, as its manifest resource makes the loader's
  // activation context; empty when it has no manifest that names a dependent assembly.
  virtual ImageAssemblies Resolve(const std::string& path,
                                  const std::vector<std::string>& imports) = 0;

 protected:
  ~Assemblies() = default;
};

// "Name version machine", the parts that are missing left out.
std::string AssemblyTitle(std::string_view name, std::string_view version,
                          std::string_view machine);

// The assemblies that a manifest's text names in its <dependentAssembly> elements, as
// AssemblyTitle writes them, each once, in order. A reader of that text alone, bounded in the
// length it reads and the count it gives; UTF-16 text with its byte-order mark is read too.
std::vector<std::string> DependentAssemblies(std::string_view manifest);

// An assembly's identity as the activation context encodes it (the name, then key="value" pairs
// separated by commas), as AssemblyTitle writes it.
std::string EncodedAssemblyTitle(std::string_view identity);

}  // namespace tarn
