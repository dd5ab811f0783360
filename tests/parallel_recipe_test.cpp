// tools/kolvo-parallel.sh, the recipe that spreads a folder tree over the
// hosts GNU parallel reaches, run with this machine as its one host (-S :):
// every input of the tree has its output at the same place in the output
// tree, byte for byte its single run's, and a failing input is named and
// counted. Slow: it starts parallel.
#include <gtest/gtest.h>

#include "support/same_bytes.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

TEST(ParallelRecipe, ATreeConvertedOverHostsEqualsItsSingleRuns) {
  KOLVO_REQUIRE_TOOL("parallel");
  TempDir dir;
  const fs::path src = dir / "letters";
  const fs::path out = dir / "converted";
  // Folders at three depths, names with blanks, and files the pattern leaves out.
  const std::vector<std::string> inputs = {"top.txt", "2026/jan.txt", "2026/feb.txt",
                                           "2026/old drafts/a b.txt", "misc/only.txt"};
  fs::create_directories(src / "2026" / "old drafts");
  fs::create_directories(src / "misc");
  fs::create_directories(src / "empty");
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    writeFile(src / inputs[i], "Letter %bs" + std::to_string(i) + "%be \xE2\x82\xAC\n%csend%ce\n");
  }
  writeFile(src / "misc" / "notes.md", "not an input\n");
  const std::string script = (sourceDir() / "tools" / "kolvo-parallel.sh").string();
  const CommandResult r = runCommand({script, "-S", ":", "-k", kolvoBinary(), "pdf",
                                      src.string(), out.string(), "--escape", "--jobs", "2"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const std::string& input : inputs) {
    const std::string name = input.substr(0, input.size() - 3) + "pdf";
    const fs::path single = dir / "single.pdf";
    ASSERT_EQ(runKolvo({"--escape", "pdf", (src / input).string(), single.string()}).status, 0);
    ASSERT_TRUE(fs::exists(out / name)) << name;
    EXPECT_TRUE(sameBytes(readFile(single), readFile(out / name))) << name;
  }
  EXPECT_FALSE(fs::exists(out / "misc" / "notes.pdf"));
  EXPECT_FALSE(fs::exists(out / "empty"));

  // A folder whose outputs cannot be written fails and is counted; the
  // other folders are written all the same.
  fs::remove_all(out);
  fs::create_directory(out);
  writeFile(out / "misc", "a file where the output folder should be\n");
  const CommandResult failed = runCommand({script, "-S", ":", "-k", kolvoBinary(), "html",
                                           src.string(), out.string()});
  EXPECT_EQ(failed.status, 1) << failed.err;
  EXPECT_NE(failed.err.find("/misc"), std::string::npos) << failed.err;
  EXPECT_TRUE(fs::exists(out / "2026" / "jan.html"));
}

}  // namespace
}  // namespace kolvo::test
