// tools/check-layers.sh, which CI runs over src/: it must pass the tree as
// it is and fail on an include that points up the order of docs/HACKING.md.

#include <filesystem>
#include <string>

#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;

// A copy of src/ and the map in a temporary folder, to break on purpose.
class LayerScript : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(sourceDir() / "src", tree_ / "src", fs::copy_options::recursive);
    fs::create_directories(tree_ / "docs");
    fs::copy_file(sourceDir() / "docs" / "HACKING.md", tree_ / "docs" / "HACKING.md");
  }

  CommandResult check() const {
    return runCommand({"bash", (sourceDir() / "tools" / "check-layers.sh").string(),
                       tree_.path().string()});
  }

  void addInclude(const std::string& file, const std::string& include) const {
    const fs::path path = tree_ / file;
    writeFile(path, readFile(path) + "#include \"" + include + "\"\n");
  }

  TempDir tree_;
};

TEST_F(LayerScript, TheTreeAsItIsPasses) {
  const CommandResult run = check();
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(LayerScript, AnIncludeOfAHigherLayerFailsAndIsNamed) {
  addInclude("src/markup/format.cpp", "driver/line_reader.hpp");
  const CommandResult run = check();
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("src/markup/format.cpp includes \"driver/line_reader.hpp\""),
            std::string::npos)
      << run.out;
}

TEST_F(LayerScript, ANestedLayerMayNotIncludeTheFolderAroundIt) {
  // The paged writers are a layer of their own below the writers.
  addInclude("src/writers/paged/line_layout.hpp", "writers/writer.hpp");
  EXPECT_EQ(check().status, 1);
}

TEST_F(LayerScript, IncludesDownwardOrWithinAFolderPass) {
  addInclude("src/driver/conversion.cpp", "markup/format.hpp");
  addInclude("src/writers/writer.hpp", "writers/paged/paper_size.hpp");
  addInclude("src/io/io_error.hpp", "io/io_error.hpp");
  EXPECT_EQ(check().status, 0);
}

TEST_F(LayerScript, AFolderInNoLayerIsAnError) {
  fs::create_directories(tree_ / "src" / "stray");
  writeFile(tree_ / "src" / "stray" / "a.cpp", "#include \"markup/format.hpp\"\n");
  const CommandResult run = check();
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("src/stray/a.cpp is in no layer"), std::string::npos) << run.err;
}

TEST_F(LayerScript, AMapWithoutTheOrderIsAnError) {
  writeFile(tree_ / "docs" / "HACKING.md", "# Hacking\nNo order here.\n");
  EXPECT_EQ(check().status, 2);
}

}  // namespace
}  // namespace kolvo::test
