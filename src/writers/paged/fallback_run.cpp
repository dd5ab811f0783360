#include "writers/paged/fallback_run.hpp"

#include <charconv>
#include <cstdlib>
#include <iterator>


namespace kolvo::paged {
namespace {

// "12" -> 12; the sizes of the tag texts are whole points.
std::uint64_t points(std::string_view size) {
  std::uint64_t value = 0;
  std::from_chars(size.data(), size.data() + size.size(), value);
  return value;
}

void appendDecimal(std::string& out, std::uint64_t value) {
  char digits[20];
  const std::to_chars_result end = std::to_chars(std::begin(digits), std::end(digits), value);
  out.append(std::begin(digits), end.ptr);
}

// The names of the fallback fonts: "K0" in PDF, "KolvoK0p1" in PostScript.
constexpr std::string_view kPdfResourcePrefix = "K";
constexpr std::string_view kPostScriptPrefix = "KolvoK";
constexpr std::string_view kPostScriptPage = "p";

}  // namespace

std::string pdfFallbackResource(std::size_t font) {
  std::string name(kPdfResourcePrefix);
  appendDecimal(name, font);
  return name;
}

std::string postScriptFallbackName(std::size_t font, std::size_t page) {
  std::string name(kPostScriptPrefix);
  appendDecimal(name, font);
  name += kPostScriptPage;
  appendDecimal(name, page);
  return name;
}

FallbackRun::FallbackRun(RunScratch& scratch, Format format, const FontInForce& inForce,
                         std::uint16_t font)
    : scratch_(scratch), text_(scratch.text), format_(format), inForce_(inForce), font_(font),
      painting_(scratch.painting) {
  text_.clear();
  painting_.strings.clear();
  if (format_ == Format::Pdf) {
    text_ += scratch_.open.get(keyOf(0), [&](std::string& open) {
      open += ") Tj /";
      open += kPdfResourcePrefix;
      appendDecimal(open, font_);
      open += ' ';
      open += inForce_.size;
      open += " Tf <";
    });
    startCodes(0);
  } else {
    text_ += ") ";
    text_ += inForce_.show;
  }
}

// PostScript marks spans for a distiller alone, through pdfmark when it
// has one (ps2pdf does; a printer has none and passes over them).
void FallbackRun::beginSpan(std::string_view actualText) {
  std::string operators =
      format_ == Format::Pdf ? "/Span<</ActualText<FEFF" : "/pdfmark where {pop [/Span <</ActualText <FEFF";
  operators += actualText;
  operators += format_ == Format::Pdf ? ">>>BDC " : ">>> /BDC pdfmark} if ";
  nextString(operators);
}

void FallbackRun::endSpan() {
  nextString(format_ == Format::Pdf ? "EMC " : "/pdfmark where {pop [/EMC pdfmark} if ");
}

void FallbackRun::nextString(std::string_view operators) {
  flush();
  if (painting_.strings.empty()) {  // PostScript before its first code opens a string
    text_ += ' ';
    text_ += operators;
    return;
  }
  const std::string_view endString = format_ == Format::Pdf ? "Tj" : inForce_.show;
  if (stringEmpty()) {
    text_.pop_back();  // its "<"
    painting_.strings.pop_back();
  } else {
    endCodes();
    text_ += "> ";
    text_ += endString;
    text_ += ' ';
  }
  text_ += operators;
  text_ += '<';
  startCodes(format_ == Format::Pdf ? 0 : page_);
}

const std::string& FallbackRun::codeFont(std::size_t page) {
  KeptCodeFont& kept = scratch_.codeFont;
  if (kept.format != format_ || kept.font != font_ || kept.page != page) {
    kept.name = format_ == Format::Pdf ? pdfFallbackResource(font_) : postScriptFallbackName(font_, page);
    kept.format = format_;
    kept.font = font_;
    kept.page = page;
  }
  return kept.name;
}

KeptOperators::Key FallbackRun::keyOf(std::size_t page) const {
  const auto id = [](std::string_view view) { return reinterpret_cast<std::uintptr_t>(view.data()); };
  return {id(inForce_.font), inForce_.font.size(), id(inForce_.size), inForce_.size.size(),
          id(inForce_.show), inForce_.show.size(), font_, page};
}

void FallbackRun::selectPage(std::size_t page) {
  flush();
  if (page_ != SIZE_MAX) {
    endCodes();
    text_ += "> ";
    text_ += inForce_.show;
  }
  page_ = page;
  text_ += scratch_.select.get(keyOf(page), [&](std::string& select) {
    select += " /";
    select += kPostScriptPrefix;
    appendDecimal(select, font_);
    select += kPostScriptPage;
    appendDecimal(select, page);
    select += ' ';
    select += inForce_.size;
    select += " selectfont <";
  });
  startCodes(page);
}

void FallbackRun::finish(std::string& out, LineItems& runs) {
  flush();
  // A run that ends with a span ends with an empty string, left out.
  const bool empty = painting_.strings.size() > 1 && stringEmpty();
  if (empty) {
    text_.pop_back();
    painting_.strings.pop_back();
  } else {
    endCodes();
  }
  const std::string& closing = scratch_.close.get(keyOf(0), [&](std::string& close) {
    if (format_ == Format::Pdf) {
      close += "> Tj /";
      close += inForce_.font;
      close += ' ';
      close += inForce_.size;
      close += " Tf (";
    } else {
      close += "> ";
      close += inForce_.show;
      close += " /";
      close += inForce_.font;
      close += ' ';
      close += inForce_.size;
      close += " selectfont (";
    }
  });
  if (empty) {
    // Without its "> Tj " or "> show ": no string is left to end.
    const std::size_t endString = 2 + (format_ == Format::Pdf ? 3 : inForce_.show.size() + 1);
    text_ += std::string_view(closing).substr(endString);
  } else {
    text_ += closing;
  }
  if (scratch_.pointsOf.data() != inForce_.size.data() || scratch_.pointsOf.size() != inForce_.size.size()) {
    scratch_.points = points(inForce_.size);
    scratch_.pointsOf = inForce_.size;
  }
  const std::uint64_t width = (advances_ * scratch_.points + 500) / 1000;
  assignIfOther(painting_.closer, format_ == Format::Pdf ? std::string_view("Tj") : inForce_.show);
  assignIfOther(painting_.size, inForce_.size);
  assignIfOther(painting_.backFont, inForce_.font);
  runs.swapInRun(out.size(), out.size() + text_.size(), width, painting_);
  out += text_;
}

}  // namespace kolvo::paged
