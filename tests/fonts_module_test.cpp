// The font module (kolvo-fonts.so) is opened only when a character needs a
// fallback font, and a run without it still converts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

constexpr std::string_view kRussian = "Привет, мир\n";
constexpr std::string_view kEnglish = "Hello, %bsworld%be\n";

// The run's libraries as the dynamic loader reports them.
CommandResult runLoggingLibraries(const std::string& program, const std::vector<std::string>& args,
                                  std::string_view input) {
  std::vector<std::string> argv = {"env", "LD_DEBUG=libs", program};
  argv.insert(argv.end(), args.begin(), args.end());
  return runCommand(argv, input);
}

TEST(FontsModule, OpenedOnlyForACharacterThatNeedsAFallbackFont) {
  const CommandResult plain = runLoggingLibraries(kolvoBinary(), {"--escape", "-P", "-", "-", "-s"}, kEnglish);
  ASSERT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err.find("kolvo-fonts.so"), std::string::npos);
  EXPECT_EQ(plain.err.find("libharfbuzz"), std::string::npos);
  // Without --escape there are no fallback fonts at all.
  EXPECT_EQ(runLoggingLibraries(kolvoBinary(), {"-P", "-", "-", "-s"}, kRussian).err.find("kolvo-fonts.so"),
            std::string::npos);
  const CommandResult russian = runLoggingLibraries(kolvoBinary(), {"--escape", "-P", "-", "-", "-s"}, kRussian);
  ASSERT_EQ(russian.status, 0);
  EXPECT_NE(russian.err.find("kolvo-fonts.so"), std::string::npos);
  if (russian.out.find("/FontFile2") == std::string::npos && russian.out.find("/FontFile3") == std::string::npos) {
    GTEST_SKIP() << "no font on this machine draws Cyrillic";
  }
}

// A copy of the program alone in a folder, with no module beside it or in
// ../lib/kolvo/ (a slow suite: the quick loop starts no other program).
TEST(FontsModuleAlone, ARunWithoutTheModuleShowsQuestionMarksAndSaysWhy) {
  TempDir dir;
  const auto alone = dir / "kolvo";
  std::filesystem::copy_file(kolvoBinary(), alone);
  const CommandResult r = runCommand({alone.string(), "--escape", "-P", "-", "-", "-s"}, kRussian);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("(\?\?\?\?\?\?, \?\?\? ) Tj"), std::string::npos);
  EXPECT_NE(r.err.find("fallback fonts are unavailable: the font module kolvo-fonts.so is not installed"),
            std::string::npos)
      << r.err;
  // A --font file needs the module at once: nothing is written.
  const auto out = dir / "out.pdf";
  const CommandResult font =
      runCommand({alone.string(), "--escape", "--font", "/no/such.ttf", "-P", "-", out.string(), "-s"}, kRussian);
  EXPECT_EQ(font.status, 1);
  EXPECT_NE(font.err.find("font module"), std::string::npos) << font.err;
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace kolvo::test
