// The install-folder prompt where the end-to-end cases do not reach: PROMPT in any case and
// values that only begin with it, a drive root chosen, a browser that fails, an empty name.
#include <gtest/gtest.h>

#include "fakes.h"

namespace tarn {
namespace {

using testing::Lines;
using testing::Rig;

constexpr char kPress[] = "\n\nPress OK to proceed, or Cancel to stop running the script.";

std::string Missing(const std::string& folder) {
  return "? Please specify where Desk is installed.  The folder '" + folder + "' does not exist." +
         kPress;
}
const std::string kAsk = std::string("? Please specify where Desk is installed.") + kPress;
const Lines kNotFound = {"Install folder not found 'C:\\gone'",
                         "            Prompt user to find folder or stop script."};

TEST(Prompt, EveryAnswerToTheQuestionsAndTheBrowser) {
  const struct {
    const char* what;
    Lines items;
    std::vector<bool> answers;
    Lines chosen;   // the browser's answers
    Lines entries;  // after the header and "Application name = Desk"
    Lines boxes;
  } cases[] = {
      {"PROMPT in any case asks, and the folder chosen replaces the value",
       {"Colour=pRoMpT", "AppName=PROMPT1", "AppName=PROMPT ME"},
       {true},
       {"C:\\Apps\\Tool\\"},
       {"Install Folder 'C:\\Apps\\Tool' selected.", "Script Error:  Unknown item type = COLOUR",
        "Application name = PROMPT1", "Application name = PROMPT ME", ""},
       {kAsk}},
      {"InstallFolder=PROMPT with a drive root chosen goes through the Set entry",
       {"InstallFolder=Prompt", "AppName=%InstallFolder%"},
       {true},
       {"D:\\"},
       {"Install Folder 'D:' selected.", "Set InstallFolder=D:", "Application name = D:", ""},
       {kAsk}},
      {"a browser that fails says why alone and counts as cancelled",
       {"InstallFolder=C:\\gone", "InstallFolder=C:\\Tools", "AppName=%InstallFolder%"},
       {true},
       {"(fail)"},
       {kNotFound[0], kNotFound[1], "Install folder selection cancelled.",
        "Set InstallFolder=C:\\Tools", "Skipping AppName=%InstallFolder%", ""},
       {Missing("C:\\gone"), "Out of memory"}},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.files.folders = {"D:", "C:\\Tools", "C:\\Found"};
    rig.desktop.answers = c.answers;
    rig.shell.chosen = c.chosen;
    Lines items{"AppName=Desk"};
    items.insert(items.end(), c.items.begin(), c.items.end());
    Lines expected{"Application name = Desk"};
    expected.insert(expected.end(), c.entries.begin(), c.entries.end());
    EXPECT_EQ(rig.Run(items), expected) << c.what;
    Lines boxes;
    for (const auto& box : rig.desktop.boxes) {
      boxes.push_back(box.text);
      EXPECT_EQ(box.icon, box.text[0] == '?' ? BoxIcon::kInformation : BoxIcon::kExclamation);
    }
    EXPECT_EQ(boxes, c.boxes) << c.what;
    for (const std::string& title : rig.shell.titles) EXPECT_EQ(title, "Select Desk Folder");
    EXPECT_TRUE(rig.files.files.count(rig.LogPath())) << c.what << ": the log is saved";
  }
  // An empty application name leaves two blanks in the question.
  Rig nameless;
  nameless.Run({"AppName=", "x=PROMPT"});
  ASSERT_EQ(nameless.desktop.boxes.size(), 1u);
  EXPECT_EQ(nameless.desktop.boxes[0].text,
            std::string("? Please specify where  is installed.") + kPress);
}

}  // namespace
}  // namespace tarn
