#pragma once
// The text of a run of characters drawn with one fallback font, inside a
// typed PostScript or PDF line: it closes the string shown so far, selects
// the fallback font at the size in force, shows the run's codes as a hex
// string, and selects the font in force again.
//
// PDF shows two-byte codes of a Type 0 font ("/K0"); PostScript shows
// one-byte codes of the font's code pages, 256 codes each ("/KolvoK0p1" is
// codes 256 to 511 of font 0). Where the run lies in the line, and its
// width, go into the line's LineItems (markup/line_items.hpp) for the
// measures.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/line_items.hpp"
#include "writers/paged/font_in_force.hpp"

namespace kolvo::paged {

// The PDF font resource of fallback font `font`: "K0", "K1" ...
std::string pdfFallbackResource(std::size_t font);
// The PostScript name of code page `page` of fallback font `font`.
std::string postScriptFallbackName(std::size_t font, std::size_t page);

// Operators made for one run and kept for the next ones that need the
// same: most runs of a text share their fonts and sizes, and making the
// operators again each time would cost more than the run's codes.
class KeptOperators {
 public:
  using Key = std::array<std::uintptr_t, 8>;
  // What `make` writes into a string for `key`, made only when the key
  // differs from the last one.
  template <typename Make>
  const std::string& get(const Key& key, Make&& make) {
    if (!made_ || key != key_) {
      text_.clear();
      make(text_);
      key_ = key;
      made_ = true;
    }
    return text_;
  }

 private:
  Key key_{};
  bool made_ = false;
  std::string text_;
};

// The name of the font a string of codes is shown in, made again only
// for another font or code page: most runs show the one before's.
struct KeptCodeFont {
  std::string name;
  Format format = Format::Pdf;
  std::size_t font = SIZE_MAX;
  std::size_t page = SIZE_MAX;
};

// What runs are built in, kept by a conversion run from one line to the next.
struct RunScratch {
  std::string text;
  KeptOperators open;    // PDF: ") Tj /K0 12 Tf <"
  KeptOperators select;  // PostScript: " /KolvoK0p1 12 selectfont <"
  KeptOperators close;   // "> show /Times-Roman 12 selectfont ("
  // The run's painting, which the line's items swap for one of an earlier
  // line (LineItems::swapInRun): its strings keep their room.
  RunPainting painting;
  KeptCodeFont codeFont;
  // The size in force in whole points, read from the view it was read
  // from (the same view gives the same text, as KeptOperators takes it).
  std::string_view pointsOf;
  std::uint64_t points = 0;
};

// A run as it was built, to be written again as it is: its text, its
// strings of codes, and its codes' advances in thousandths of the size.
struct BuiltRun {
  std::string text;
  std::vector<CodeString> strings;
  std::uint64_t advances = 0;
};

class FallbackRun {
 public:
  // Builds the run in `scratch`; `finish` appends it to the line.
  FallbackRun(RunScratch& scratch, Format format, const FontInForce& inForce,
              std::uint16_t font);
  // Adds a code and its advance in thousandths of the size. Inline: it
  // runs for every character of the run.
  void add(std::uint16_t code, std::uint32_t advance) {
    advances_ += advance;
    if (format_ == Format::Pdf) {
      putHex<2>(code);
      return;
    }
    if (code >> 8U != page_) selectPage(code >> 8U);
    putHex<1>(code & 0xFFU);
  }
  // PDF: the codes added until endSpan() stand for `actualText` (UTF-16BE
  // in hex, perhaps empty), which readers copy and search instead: shaped
  // glyphs that do not map one to one to characters. They are a string of
  // their own in a marked-content span.
  void beginSpan(std::string_view actualText);
  void endSpan();
  // Appends the run to `out` and notes where it lies and how wide it is;
  // with `built`, keeps the run there as well.
  void finish(std::string& out, LineItems& runs, BuiltRun* built = nullptr);
  // Appends `built`, a run built in the font in force `inForce`, to `out`
  // as finish() appended it, and notes it the same way.
  static void writeBuilt(RunScratch& scratch, Format format, const FontInForce& inForce,
                         const BuiltRun& built, std::string& out, LineItems& runs);

 private:
  void selectPage(std::size_t page);
  // Ends the string of codes and puts `operators` before the next one;
  // an empty string is left out.
  void nextString(std::string_view operators);
  bool stringEmpty() const { return heldSize_ == 0 && text_.size() == painting_.strings.back().begin; }
  // A string of codes starts at the end of the text so far, in the font of
  // its code page.
  void startCodes(std::size_t page) { painting_.strings.push_back({text_.size(), 0, codeFont(page)}); }
  // The name of the font of codes of `page` (0 in PDF).
  const std::string& codeFont(std::size_t page);
  void endCodes() { painting_.strings.back().end = text_.size(); }

  // The hex digits wait in `held_` and go into the text a block at a
  // time: an append for every character would cost more than the digits.
  void flush() {
    text_.append(held_.data(), heldSize_);
    heldSize_ = 0;
  }

  // Two hex digits for each byte of `value`, high byte first, from one
  // table of digit pairs.
  template <std::size_t Bytes>
  void putHex(unsigned value) {
    static constexpr char kPairs[] =
        "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
        "202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f"
        "404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f"
        "606162636465666768696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f"
        "808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f"
        "a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3b4b5b6b7b8b9babbbcbdbebf"
        "c0c1c2c3c4c5c6c7c8c9cacbcccdcecfd0d1d2d3d4d5d6d7d8d9dadbdcdddedf"
        "e0e1e2e3e4e5e6e7e8e9eaebecedeeeff0f1f2f3f4f5f6f7f8f9fafbfcfdfeff";
    if (heldSize_ + 2 * Bytes > held_.size()) flush();
    // Through a local pointer: a member would be read again after each
    // store of a char, which may alias it.
    char* const digits = held_.data() + heldSize_;
    for (std::size_t i = 0; i < Bytes; ++i) {
      const unsigned byte = value >> (8 * (Bytes - 1 - i)) & 0xFFU;
      std::memcpy(digits + 2 * i, kPairs + std::size_t{2} * byte, 2);
    }
    heldSize_ += 2 * Bytes;
  }

  // Notes a run of `size` bytes about to be appended to `out`, whose codes
  // advance `advances` thousandths, painted as `painting` says.
  static void note(RunScratch& scratch, Format format, const FontInForce& inForce,
                   std::uint64_t advances, std::size_t size, const std::string& out,
                   RunPainting& painting, LineItems& runs);

  // The key of operators made from the font in force (its views are
  // compared as pointers and sizes: the same ones give the same text),
  // the fallback font and the code page.
  KeptOperators::Key keyOf(std::size_t page) const;

  RunScratch& scratch_;
  std::string& text_;
  Format format_;
  const FontInForce& inForce_;
  std::uint16_t font_;
  std::size_t page_ = SIZE_MAX;
  std::uint64_t advances_ = 0;
  std::array<char, 256> held_;  // filled up to heldSize_ only
  std::size_t heldSize_ = 0;
  RunPainting& painting_;  // its strings of codes, as offsets in text_
};

}  // namespace kolvo::paged
