// The read-only audit of a component's registration from either build on a 64-bit Windows: the
// 32-bit release reads a 64-bit component in the 64-bit registry view, as its programs do, and a
// 32-bit one in the 32-bit view, so that both builds say "here" of the same registered PC.
#include "services/registration_audit.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tarn {
namespace {

using testing::EmptyImage;
using testing::kX64;
using testing::kX86;

TEST(RegistrationAudit, EachBuildReadsAComponentInTheRegistryViewOfItsMachine) {
  const std::string grid = "C:\\Program Files\\Grid\\grid.ocx";
  const std::string chart = "C:\\Program Files (x86)\\Chart\\chart.ocx";
  const TypeLibraryAttributes grid_library{"{6C1E2A4B-9D3F-4E8A-B7C5-2F0D1A3E5C10}", 1, 0, 0,
                                           TypeLibrarySystem::kWin64};
  for (const std::uint16_t build : {kX86, kX64}) {
    testing::FakeLoaderFacts facts;
    facts.process_machine = build;
    const LoaderView loader(facts);
    testing::FakeFileSystem files;
    files.files = {{grid, EmptyImage(kX64)}, {chart, EmptyImage(kX86)}};
    testing::FakeCom com;
    com.automation = {{grid, {}}, {chart, {}}};
    com.coclasses = {{grid, {"{G1}", "{G2}"}}, {chart, {"{C1}"}}};
    com.attributes = {{grid, grid_library}};
    testing::FakePathIdentity paths;
    paths.files = {{grid, "grid"}, {chart, "chart"}};
    // Each class registered in its component's own view only; the other view has none.
    const std::map<std::pair<std::string, RegistryView>, std::string> servers = {
        {{"{G1}", RegistryView::k64Bit}, grid},
        {{"{G2}", RegistryView::k64Bit}, grid},
        {{"{C1}", RegistryView::k32Bit}, chart}};
    ClassPlacement placement(
        [&](const std::string& id, RegistryView view) {
          RegisteredClass found;
          found.id = id;
          if (servers.count({id, view})) found.in_process_server = servers.at({id, view});
          return found;
        },
        loader, files, paths);
    testing::FakeTypeLibRegistry libraries;
    libraries.registered = {{grid_library, kX64, grid}};
    RegistrationAuditor auditor(files, com, placement, libraries, paths, loader);

    for (const std::string& component : {grid, chart}) {
      const std::optional<RegistrationAudit> audit = auditor.Audit(component);
      ASSERT_TRUE(audit) << component;
      for (const PlacedClass& placed : audit->classes)
        EXPECT_EQ(placed.placement, Placement::kHere) << component << placed.id << " " << build;
    }
    EXPECT_EQ(auditor.Audit(grid)->library, Placement::kHere) << build;
  }
}

}  // namespace
}  // namespace tarn
