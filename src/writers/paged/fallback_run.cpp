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

void FallbackRun::finish(std::string& out, LineItems& runs, BuiltRun* built) {
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
  if (built != nullptr) {
    built->text = text_;
    built->strings = painting_.strings;
    built->advances = advances_;
  }
  note(scratch_, format_, inForce_, advances_, text_.size(), out, painting_, runs);
  out += text_;
}

void FallbackRun::writeBuilt(RunScratch& scratch, Format format, const FontInForce& inForce,
                             const BuiltRun& built, std::string& out, LineItems& runs) {
  scratch.painting.strings = built.strings;
  note(scratch, format, inForce, built.advances, built.text.size(), out, scratch.painting, runs);
  out += built.text;
}

void FallbackRun::note(RunScratch& scratch, Format format, const FontInForce& inForce,
                       std::uint64_t advances, std::size_t size, const std::string& out,
                       RunPainting& painting, LineItems& runs) {
  if (scratch.pointsOf.data() != inForce.size.data() || scratch.pointsOf.size() != inForce.size.size()) {
    scratch.points = points(inForce.size);
    scratch.pointsOf = inForce.size;
  }
  const std::uint64_t width = (advances * scratch.points + 500) / 1000;
  assignIfOther(painting.closer, format == Format::Pdf ? std::string_view("Tj") : inForce.show);
  assignIfOther(painting.size, inForce.size);
  assignIfOther(painting.backFont, inForce.font);
  runs.swapInRun(out.size(), out.size() + size, width, painting);
}

}  // namespace kolvo::paged
