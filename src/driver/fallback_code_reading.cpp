#include "driver/fallback_code_reading.hpp"

#include <algorithm>
#include <cstdint>

#include "markup/byte_scan.hpp"
#include "markup/tag_index.hpp"
#include "pipeline/text_step.hpp"
#include "writers/drawing.hpp"
#include "writers/paged/asks_nothing_new.hpp"
#include "writers/paged/font_in_force.hpp"

namespace kolvo {
namespace {

constexpr auto kNone = std::string_view::npos;
constexpr std::size_t kTagLength = 3;

// The last line feed in [from, at), or kNone.
std::size_t lastFeed(std::string_view text, std::size_t from, std::size_t at) {
  const std::size_t feed = scan::findLast(text.substr(from, at - from), at - from, '\n');
  return feed == kNone ? kNone : from + feed;
}

// Where the line that holds byte `at` starts, no earlier than `from`.
std::size_t lineStart(std::string_view text, std::size_t from, std::size_t at) {
  const std::size_t feed = lastFeed(text, from, at);
  return feed == kNone ? from : feed + 1;
}

}  // namespace

FallbackCodeReading::FallbackCodeReading(Format format, FallbackFonts& fonts)
    : format_(format),
      context_(fonts, format, true),
      body_(paged::bodyFont(format)),
      tags_(tagIndex()),
      typedColumn_(tagColumn(format, TextMode::Typed)),
      switches_(paged::fontSwitches(format)) {}

void FallbackCodeReading::read(std::string_view bytes) {
  if (!carried_.empty()) {
    const std::size_t feed = bytes.find('\n');
    if (feed == kNone) {
      carried_.append(bytes);
      return;
    }
    carried_.append(bytes.substr(0, feed + 1));
    lines(carried_);
    carried_.clear();
    bytes.remove_prefix(feed + 1);
  }
  const std::size_t last = bytes.rfind('\n');
  const std::size_t whole = last == kNone ? 0 : last + 1;
  lines(bytes.substr(0, whole));
  carried_.assign(bytes.substr(whole));
}

void FallbackCodeReading::finish() {
  if (!carried_.empty()) lines(carried_);
  carried_.clear();
}

void FallbackCodeReading::lines(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t beyond = scan::findBeyondAscii(text, at);
    const std::size_t start = beyond == text.size() ? beyond : lineStart(text, at, beyond);
    if (start > at) passOver(text.substr(at, start - at));
    if (start == text.size()) return;
    // Every PDF line starts in the body font; PostScript carries the font on.
    if (format_ == Format::Pdf) context_.inForce() = body_;
    at = quietLines(text, start);
    if (at < text.size()) at = oneLine(text, at);
  }
}

std::size_t FallbackCodeReading::quietLines(std::string_view text, std::size_t at) {
  if (!paged::QuietPairs::available() || pairsLeads_[0] == 0) return at;
  paged::FontInForce& inForce = context_.inForce();
  QuietLine line{at, inForce, isDrawingLine(text.substr(at))};
  std::size_t p = at;
  while (p < text.size()) {
    const bool feedsStop = format_ == Format::Pdf && inForce.style != body_.style;
    const auto [stop, feed] = pairsInForce().firstUnquiet(text, p, feedsStop);
    if (stop == text.size()) return stop;
    if (feed != kNone) {
      // Lines passed over whole: nothing in them changed the font.
      if (format_ == Format::Pdf) inForce = body_;
      line = {feed + 1, inForce, isDrawingLine(text.substr(feed + 1))};
    }
    const auto before = static_cast<unsigned char>(stop > line.start ? text[stop - 1] : '\n');
    if (line.drawing || before >= 0xC0) break;  // read one by one
    if (text[stop] == '%') {
      p = stop + followTag(text, stop);
    } else if (text[stop] == '\n' && format_ == Format::Pdf) {
      p = stop + 1;
      inForce = body_;
      line = {p, inForce, isDrawingLine(text.substr(p))};
    } else {
      break;
    }
  }
  inForce = line.inForce;
  return line.start;
}

// The tag (or other "%") at `at`, as the escaper follows it; returns its
// length.
std::size_t FallbackCodeReading::followTag(std::string_view text, std::size_t at) {
  if (!beginsTag(text, at)) return 1;
  switches_.apply(tags_.rowAt(text, at, typedColumn_), context_.inForce());
  return kTagLength;
}

const paged::QuietPairs& FallbackCodeReading::pairsInForce() {
  const auto style = static_cast<std::size_t>(context_.inForce().style);
  paged::QuietPairs& pairs = pairs_[style];
  if (pairsStale_[style] || pairs.leads() != pairsLeads_) {
    pairs.build(context_, context_.inForce().style, pairsLeads_);
    pairsStale_[style] = false;
  }
  return pairs;
}

// The two lead bytes read most often one by one so far.
void FallbackCodeReading::chooseLeads() {
  std::array<unsigned char, 2> leads{};
  std::array<std::uint64_t, 2> most{};
  for (std::size_t i = 0; i < leadCounts_.size(); ++i) {
    const auto lead = static_cast<unsigned char>(0xC0 + i);
    if (leadCounts_[i] > most[0]) {
      most = {leadCounts_[i], most[0]};
      leads = {lead, leads[0]};
    } else if (leadCounts_[i] > most[1]) {
      most[1] = leadCounts_[i];
      leads[1] = lead;
    }
  }
  if (most[1] == 0) leads[1] = leads[0];
  pairsLeads_ = leads;
}

void FallbackCodeReading::countLeads(std::string_view line) {
  for (const char byte : line) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 0xC2 && b <= 0xDF) ++leadCounts_[b - 0xC0U];
  }
}

void FallbackCodeReading::passOver(std::string_view text) {
  if (format_ != Format::PostScript) return;
  std::size_t end = text.size();
  while (end > 0) {
    const std::size_t at = scan::findLast(text, end, '%');
    if (at == kNone) return;
    end = at;
    if (!beginsTag(text, at)) continue;
    const std::size_t row = tags_.rowAt(text, at, typedColumn_);
    if (!switches_.setsFont(row)) continue;
    const std::size_t start = lineStart(text, 0, at);
    if (isDrawingLine(text.substr(start))) {
      end = start;
      continue;
    }
    switches_.apply(row, context_.inForce());
    return;
  }
}

std::size_t FallbackCodeReading::oneLine(std::string_view text, std::size_t start) {
  const std::size_t feed = text.find('\n', start);
  const std::size_t end = feed == kNone ? text.size() : feed + 1;
  const std::string_view line = text.substr(start, end - start);
  countLeads(line);
  chooseLeads();
  const paged::FontInForce before = context_.inForce();
  if (format_ == Format::Pdf) context_.inForce() = body_;
  if (!paged::asksNothingNew(line, context_)) {
    context_.inForce() = before;
    escape(line);
  } else if (isDrawingLine(line)) {
    context_.inForce() = before;
  }
  return end;
}

void FallbackCodeReading::escape(std::string_view line) {
  pairsStale_.fill(true);
  line_.assign(line);
  std::replace(line_.begin(), line_.end(), '\0', ' ');
  const paged::FontInForce before = context_.inForce();
  prepareText(line_, scratch_, format_, TextMode::Typed, stats_, &context_);
  // A drawing line's text is never shown, so its tags leave the font in
  // force as it was.
  if (isDrawingLine(line_)) context_.inForce() = before;
}

}  // namespace kolvo
