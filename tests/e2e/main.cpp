// The end-to-end tests: --exe=<tarninfo.exe> --cases=<folder of .case files>
// --fixtures=<folder of the built fixtures>, then gtest's own.
#include <windows.h>

#include <cstring>
#include <gtest/gtest.h>

#include "e2e/sandbox.h"

int main(int argc, char** argv) {
  // Pixels as the screen has them, at any resolution, as the tool sees them.
  ::SetProcessDPIAware();
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--exe=", 6) == 0)
      tarn::e2e::options().exe = argv[i] + 6;
    else if (std::strncmp(argv[i], "--cases=", 8) == 0)
      tarn::e2e::options().cases = argv[i] + 8;
    else if (std::strncmp(argv[i], "--fixtures=", 11) == 0)
      tarn::e2e::options().fixtures = argv[i] + 11;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
