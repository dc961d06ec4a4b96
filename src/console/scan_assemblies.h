// The side-by-side assemblies of a scanned folder's images: the imports they serve, which the
// loader's search then never decides, and the lines of the info file that name them.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "services/side_by_side.h"

namespace tarn::console {

class AssemblyScan {
 public:
  // `assemblies` may be null: then no image has any.
  AssemblyScan(Assemblies* assemblies, const std::string& folder);

  // The image at `relative` below the folder, which imports `imports`. Only an image that may have
  // a manifest (PeImage::manifest) is worth adding: asking for its assemblies loads it.
  void Add(const std::string& relative, const std::vector<std::string>& imports);

  // The imports that an assembly serves, each as its image's folder, a backslash and the DLL's
  // name, in lower case.
  const std::set<std::string>& Served() const { return served_; }

  // For each assembly that serves an import, a comment that names it and its DLL, then a check
  // of each of its files that lies outside the folder's images and that `write` names with a
  // folder variable (it gives back any other path unchanged); for each assembly that cannot be
  // found, a comment that names it and the image. Sorted, each once.
  std::vector<std::string> Lines(const std::function<std::string(const std::string&)>& write) const;

 private:
  std::string Below(const std::string& path) const;

  Assemblies* assemblies_;
  std::string folder_;
  std::set<std::string> served_;
  // By the assembly: the DLLs it serves, and its files that a check may name.
  std::map<std::string, std::set<std::string>> dlls_, files_;
  std::set<std::pair<std::string, std::string>> missing_;  // the assembly, then the image
};

}  // namespace tarn::console
