#pragma once
// The scripts that pdflatex sets only with a font encoding or package of
// their own, beyond the T1 and TS1 of the typed-text prologue: Cyrillic
// (T2A), Greek (LGR), Vietnamese (T5) and Chinese, Japanese and Korean
// (CJKutf8). The typed LaTeX escaper switches to them for each run of such
// characters, and the preamble loads them only for a document that has
// them, so that the output of any other text keeps its bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kolvo {

enum class LatexScript : std::uint8_t { None, Cyrillic, Greek, Vietnamese, Cjk };

// The CJK families of the CJK package (Debian's latex-cjk fonts): a
// Chinese song face, a Japanese mincho and a Korean myeongjo.
enum class CjkFamily : std::uint8_t { Chinese, Japanese, Korean };

// The scripts a document needs: one bit per LatexScript but None; and
// which CJK family its Han characters lean to (Japanese where it has kana,
// Korean where it has Hangul and no kana).
struct LatexScripts {
  std::uint8_t bits = 0;
  CjkFamily cjkLeaning = CjkFamily::Chinese;
  // The text may hold a web or e-mail address, which typed LaTeX makes a
  // link (hyperref's \href); never false where it holds one.
  bool mayHoldLinks = false;
  // The rows of kLatexFontScripts (latex_font_scripts.hpp) whose
  // characters the text has: shown by lualatex and xelatex only.
  std::uint32_t fontScripts = 0;

  void add(LatexScript script) {
    if (script != LatexScript::None) bits |= static_cast<std::uint8_t>(1U << static_cast<unsigned>(script));
  }
  bool has(LatexScript script) const {
    return (bits >> static_cast<unsigned>(script) & 1U) != 0;
  }
  void addFontScript(std::size_t row) { fontScripts |= std::uint32_t{1} << row; }
  bool hasFontScript(std::size_t row) const { return (fontScripts >> row & 1U) != 0; }
  // Nothing but T1 and TS1: the preamble needs no script and no engine test.
  bool empty() const { return bits == 0 && fontScripts == 0; }
};

// The script whose encoding sets `cp`, None for a character that T1, TS1
// (latexCanSet) or no encoding here sets. The Greek letters that the typed text sets as
// math symbols (U+0391 to U+03C9) count as Greek here, since a Greek run
// is set as one; latexNeedsOwnFont says which characters alone bring a
// script in.
LatexScript latexScriptOf(char32_t cp);

// Whether `cp` is set only in its script's font: the basic Greek letters
// have math symbols (or Latin capitals) of their own, and a run of them
// alone keeps them.
bool latexNeedsOwnFont(char32_t cp);

// The family that sets `cp` (a Cjk character) in a line whose text leans
// to `preferred` (Japanese where it has kana, Korean where it has Hangul),
// or the first family after it that has a font for it; false where none
// has one (the character is then not shown).
bool cjkFamilyFor(char32_t cp, CjkFamily preferred, CjkFamily& family);

// The family that a line's Han characters are set in: Japanese where the
// line has kana, Korean where it has Hangul and no kana, else the
// document's leaning (a heading of Han alone in a Japanese text is Japanese).
CjkFamily preferredCjkFamily(std::string_view utf8, CjkFamily documentLeaning);

// "T2A", "LGR", "T5": the font encoding of a script but Cjk.
std::string_view latexScriptEncoding(LatexScript script);

// "gbsn", "min", "mj": the family's name in the CJK environment.
std::string_view cjkFamilyName(CjkFamily family);

// The first reading of typed LaTeX: the scripts the escaper will switch to
// in the input, read block by block (cut anywhere; a character cut in two
// is read whole with the next block). Two Greek letters in a row are a
// word, which is set in LGR (see appendScriptRun). Bytes that are not UTF-8 count for
// nothing; the scan may find a script the escaper then leaves alone (in a
// line the conversion takes as Windows-1252), never the other way round.
class LatexScriptScan {
 public:
  void read(std::string_view bytes);
  LatexScripts scripts() const;

 private:
  void readWhole(std::string_view bytes);

  LatexScripts scripts_;
  bool kana_ = false;
  bool hangul_ = false;
  bool afterGreek_ = false;  // the character before was Greek
  bool links_ = false;
  char lastByte_ = 0;  // of the block before: a "//" may be cut in two
  std::string carried_;  // the start of a character that the next block ends
};

// The scripts of one text (well-formed UTF-8), as LatexScriptScan finds them.
LatexScripts latexScriptsIn(std::string_view utf8);

}  // namespace kolvo
