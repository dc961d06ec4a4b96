// The end-to-end tests: --exe=, --console=, --cases=, --fixtures= and --reports= (see driver.h),
// then gtest's own.
#include <gtest/gtest.h>
#include <map>

#include "e2e/driver.h"

int main(int argc, char** argv) {
  ::SetProcessDPIAware();  // pixels as the screen has them, at any resolution, as the tool's
  tarn::e2e::Options& o = tarn::e2e::options();
  const std::map<std::string, std::string*> flags = {{"--exe=", &o.exe},
                                                     {"--console=", &o.console},
                                                     {"--cases=", &o.cases},
                                                     {"--fixtures=", &o.fixtures},
                                                     {"--reports=", &o.reports}};
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto flag = flags.find(arg.substr(0, arg.find('=') + 1));
    if (flag == flags.end())
      argv[kept++] = argv[i];
    else
      *flag->second = arg.substr(flag->first.size());
  }
  argc = kept;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
