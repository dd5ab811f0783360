// The check before the text step. Every way of running it (byte by byte,
// SSSE3) agrees with the byte rules at every length and position; and the
// byte rules agree with the steps themselves: a line the check lets pass
// comes out of its step unchanged, and each byte the rules name is one the
// step changes.
#include "pipeline/text_step_check.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "support/document_generator.hpp"
#include "pipeline/text_step.hpp"

namespace kolvo {
namespace {

constexpr TextStep kSteps[] = {TextStep::XmlMarkup, TextStep::XmlText, TextStep::Rtf,
                               TextStep::Latex, TextStep::Paged, TextStep::PagedLinks};

// Every format and mode that has a text step.
struct StepUse {
  Format format;
  TextMode mode;
};
std::vector<StepUse> stepUses() {
  std::vector<StepUse> uses;
  for (Format f : kAllFormats) {
    for (TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      if (hasTextStep(f, mode)) uses.push_back({f, mode});
    }
  }
  return uses;
}

unsigned char byteOf(char c) { return static_cast<unsigned char>(c); }

// The byte rules, a byte and a pair of neighbours at a time.
bool definition(std::string_view text, TextStep step) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (textStepLooksAt(step, byteOf(text[i]))) return true;
    if (i + 1 < text.size() && textStepLooksAtPair(step, text[i], text[i + 1])) return true;
  }
  return false;
}

// Whether every way gives `expected`.
bool everyWayGives(bool expected, std::string_view text, TextStep step) {
  bool result = false;
  if (textStepMayChange(text, step) != expected) return false;
  if (textStepMayChangeByteByByte(text, step, result) && result != expected) return false;
  return !textStepMayChangeSsse3(text, step, result) || result == expected;
}

// Text that no step looks at, and that has no two equal neighbours: every
// position of a SIMD block holds a different byte.
std::string plainText(std::size_t length) {
  constexpr std::string_view kPlain = "Plain text. 0123456789 AbcdefGhijk";
  std::string text;
  while (text.size() < length) text += kPlain;
  text.resize(length);
  return text;
}

TEST(TextStepCheck, EveryByteAtEveryPositionAndLength) {
  for (TextStep step : kSteps) {
    for (std::size_t length = 1; length <= 70; ++length) {
      std::string text = plainText(length);
      ASSERT_TRUE(everyWayGives(false, text, step)) << "plain, length " << length;
      for (std::size_t at = 0; at < length; ++at) {
        const char before = text[at];
        for (int b = 0; b < 256; ++b) {
          text[at] = static_cast<char>(b);
          const bool expected = textStepLooksAt(step, static_cast<unsigned char>(b));
          ASSERT_TRUE(everyWayGives(expected, text, step))
              << "step " << static_cast<int>(step) << ", length " << length << " at " << at
              << ", byte " << b;
        }
        text[at] = before;
      }
    }
  }
}

TEST(TextStepCheck, PairsOfNeighboursAtEveryPositionAndLength) {
  // Only LaTeX looks at pairs ("--" and ",," would form ligatures); a
  // joining byte next to another one, or next to anything else, is no pair.
  const std::string bytes = ",-. a%\t\xC3";
  for (TextStep step : kSteps) {
    for (std::size_t length = 2; length <= 70; ++length) {
      std::string text = plainText(length);
      for (std::size_t at = 0; at + 1 < length; ++at) {
        const std::string plain = text;
        for (char first : bytes) {
          for (char second : bytes) {
            text[at] = first;
            text[at + 1] = second;
            ASSERT_TRUE(everyWayGives(definition(text, step), text, step))
                << "step " << static_cast<int>(step) << ", length " << length << " at " << at
                << ": '" << first << second << "'";
          }
        }
        text = plain;
      }
    }
  }
}

TEST(TextStepCheck, RandomLinesAgree) {
  test::Random random(11u);
  const std::string alphabet = ",-.,-a %<>&_\\(){}$'\"\t\r\n\x7F\xC3\xA9\x01";
  for (int i = 0; i < 5000; ++i) {
    std::string text(random.below(200), ' ');
    for (char& c : text) c = random.below(12) == 0 ? random.pick(alphabet) : 'x';
    for (TextStep step : kSteps) {
      ASSERT_TRUE(everyWayGives(definition(text, step), text, step)) << text;
    }
  }
}

// The line after the text step without the check.
std::string stepped(std::string_view text, StepUse use) {
  std::string line(text);
  std::string scratch;
  EscapeStats stats;
  prepareTextStepByStep(line, scratch, use.format, use.mode, stats);
  return line;
}

TEST(TextStepCheck, LinesTheCheckPassesComeOutOfTheStepUnchanged) {
  // Every two bytes, at the start, inside and at the end of a line: what
  // the rules let pass, the step leaves as it is, whatever its neighbours.
  for (const StepUse use : stepUses()) {
    const TextStep step = textStepOf(use.format, use.mode);
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        const std::string pair = {static_cast<char>(a), static_cast<char>(b)};
        for (const std::string& text : {pair, "x" + pair + "y\n", "end " + pair}) {
          if (textStepMayChange(text, step)) continue;
          ASSERT_EQ(stepped(text, use), text)
              << formatName(use.format) << ", mode " << static_cast<int>(use.mode) << ", bytes "
              << a << " " << b;
        }
      }
    }
  }
}

TEST(TextStepCheck, EachByteTheRulesNameIsOneTheStepChanges) {
  // So that the rules send no line through the step for nothing. Outside
  // "]]>" a ">" is only looked at, and left, by the markup-mode XML step.
  for (const StepUse use : stepUses()) {
    const TextStep step = textStepOf(use.format, use.mode);
    for (int b = 0; b < 256; ++b) {
      if (!textStepLooksAt(step, static_cast<unsigned char>(b))) continue;
      if (step == TextStep::XmlMarkup && b == '>') continue;
      const std::string text = std::string("say ") + static_cast<char>(b) + " here\n";
      // "/" and "@" are looked at for the addresses they start; alone they stay.
      if (b == '/' || b == '@') {
        EXPECT_EQ(stepped(text, use), text) << formatName(use.format);
        // An address becomes a link: markup around it, or (PDF) an item.
        const std::string address = b == '/' ? "see https://x.org/ here\n" : "me@x.org\n";
        std::string line = address;
        std::string scratch;
        EscapeStats stats;
        prepareTextStepByStep(line, scratch, use.format, use.mode, stats);
        EXPECT_TRUE(line != address || !stats.lineItems.empty()) << formatName(use.format);
        continue;
      }
      EXPECT_NE(stepped(text, use), text) << formatName(use.format) << ", byte " << b;
    }
    for (std::string_view pair : {"--", ",,"}) {
      const std::string text = "say " + std::string(pair) + " here\n";
      EXPECT_EQ(stepped(text, use) != text, textStepLooksAtPair(step, pair[0], pair[1]))
          << formatName(use.format) << ", '" << pair << "'";
    }
  }
  EXPECT_EQ(stepped("a > b\n", {Format::DocBook, TextMode::Markup}), "a > b\n");
  EXPECT_EQ(stepped("a]]> b\n", {Format::DocBook, TextMode::Markup}), "a]]&gt; b\n");
}

}  // namespace
}  // namespace kolvo
