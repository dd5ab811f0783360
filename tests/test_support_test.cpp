// The guard of the quick loop: with KOLVO_NO_EXTERNAL_PROGRAMS set,
// runCommand starts the kolvo binary (or a shell or env launching it) and
// nothing else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

// Sets or clears the variable for one test and puts back what was there.
class QuickLoopGuard : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* value = std::getenv(kName)) saved_ = value;
  }
  void TearDown() override {
    if (saved_) {
      setenv(kName, saved_->c_str(), 1);
    } else {
      unsetenv(kName);
    }
  }
  static constexpr const char* kName = "KOLVO_NO_EXTERNAL_PROGRAMS";
  std::optional<std::string> saved_;
};

TEST_F(QuickLoopGuard, RefusesReadersAndLetsKolvoRun) {
  setenv(kName, "1", 1);
  EXPECT_NE(externalProgramRefusal({"gs", "-q"}).find("'gs'"), std::string::npos);
  EXPECT_NE(externalProgramRefusal({"env", "-u", "X", "A=1", "man", "-l"}).find("'man'"),
            std::string::npos);
  EXPECT_THROW(runCommand({"pdftotext", "-v"}), std::logic_error);
  EXPECT_EQ(externalProgramRefusal({kolvoBinary(), "--version"}), "");
  EXPECT_EQ(externalProgramRefusal({"env", "-u", "PAPERSIZE", "A=1", kolvoBinary()}), "");
  EXPECT_EQ(runKolvo({"--version"}).status, 0);
}

TEST_F(QuickLoopGuard, LetsEverythingRunWithoutTheVariable) {
  unsetenv(kName);
  EXPECT_EQ(externalProgramRefusal({"gs", "-q"}), "");
}

// Two runs of the program a second apart give the same typed document:
// every run a test starts sees one date, and no presets of the user's.
TEST(RunCommand, ProgramsSeeOneDateAndNoPresets) {
  const CommandResult typed = runKolvo({"--escape", "-p", "-", "-", "-s"}, "x\n");
  EXPECT_NE(typed.out.find("%%CreationDate: (D:20260101000000Z)"), std::string::npos);
  EXPECT_EQ(runCommand({"sh", "-c", "echo \"${KOLVO_OPTIONS-unset}\""}).out, "unset\n");
}

}  // namespace
}  // namespace kolvo::test
