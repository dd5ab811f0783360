#include "check/checker.hpp"

#include <algorithm>

#include "check/tag_lookup.hpp"
#include "markup/line_bounds.hpp"
#include "writers/drawing.hpp"

namespace kolvo::check {
namespace {

// The bytes that can start a finding; a line without any, that is no
// drawing line, has nothing to report (the width check aside).
constexpr std::string_view kMarkupBytes = "%&#_^~\\{}<>$[*\t\f";

std::string_view withoutLineEnd(std::string_view piece) {
  if (piece.ends_with('\n')) piece.remove_suffix(1);
  if (piece.ends_with('\r')) piece.remove_suffix(1);
  return piece;
}

// Whether the bytes before a cut end inside a UTF-8 character.
bool cutsCharacter(std::string_view before) {
  for (std::size_t back = 1; back <= std::min<std::size_t>(3, before.size()); ++back) {
    const auto b = static_cast<unsigned char>(before[before.size() - back]);
    if ((b & 0xC0) == 0x80) continue;
    const std::size_t wants = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 1;
    return wants > back;
  }
  return false;
}

// The tag a cut falls into, if any: "%" before the cut, letters after.
std::string cutTag(std::string_view before, std::string_view after) {
  const std::string joined =
      std::string(before.substr(before.size() - std::min<std::size_t>(2, before.size()))) +
      std::string(after.substr(0, 2));
  const std::size_t cut = std::min<std::size_t>(2, before.size());
  for (std::size_t at = 0; at < cut; ++at) {
    if (hasTagShape(joined, at) && at + 3 > cut) return joined.substr(at, 3);
  }
  return {};
}

// The finding of `merged` that `finding` makes again for other formats, if
// any: `merged` is in column order, so only its last findings can be.
Finding* madeBefore(std::vector<Finding>& merged, const Finding& finding) {
  for (auto it = merged.rbegin(); it != merged.rend() && it->column == finding.column; ++it) {
    if (sameFindingButFormats(*it, finding)) return &*it;
  }
  return nullptr;
}

// The findings of one piece in column order, each made once for all the
// formats that make it the same.
std::vector<Finding> inColumnOrder(std::vector<Finding>& findings) {
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.column < b.column; });
  std::vector<Finding> merged;
  for (Finding& finding : findings) {
    if (Finding* same = madeBefore(merged, finding)) {
      same->formats.add(finding.formats);
    } else {
      merged.push_back(std::move(finding));
    }
  }
  findings.clear();
  return merged;
}

}  // namespace

Checker::Checker(const CheckOptions& options, FindingSink& sink)
    : options_(options), sink_(sink), styles_(options_), pageWidth_(options_) {
  for (char c : kMarkupBytes) looksAt_[static_cast<unsigned char>(c)] = true;
  for (std::size_t b = 0x80; b < looksAt_.size(); ++b) looksAt_[b] = true;
  // Control characters, which LaTeX does not set up.
  for (std::size_t b = 1; b < 0x20; ++b) looksAt_[b] = looksAt_[b] || (b != '\n' && b != '\r');
  looksAt_[0x7F] = true;
}

void Checker::checkPiece(std::string_view piece) {
  encoding_.read(piece);
  if (lineBytes_ > 0) checkSeam(piece);
  const std::string_view text = withoutLineEnd(piece);
  const bool quiet = !isDrawingLine(text) &&
                     std::none_of(text.begin(), text.end(), [this](char c) {
                       return looksAt_[static_cast<unsigned char>(c)];
                     });
  if (!quiet) {
    LineContext line(text, line_, pieceColumn_, options_, findings_, &repeats_);
    checkLine(line);
  }
  pageWidth_.checkLine(piece, line_, pieceColumn_, findings_);
  emit();
  advance(piece);
}

void Checker::checkLine(LineContext& line) {
  if (isDrawingLine(line.text())) {
    checkDrawingLine(line);
    return;
  }
  checkTags(line);
  checkFormedTags(line);
  styles_.checkLine(line);
  checkPageBreaks(line);
  if (options_.mode == TextMode::Markup) {
    checkMarkupText(line);
    math_.followLine(line);
  } else {
    checkTypedText(line);
  }
}

void Checker::checkSeam(std::string_view piece) {
  std::string message = "this line is longer than " + std::to_string(kMaxPiece) +
                        " bytes and is cut here: the rest becomes a line of its own";
  const std::string tag = cutTag(tail_, piece);
  if (!tag.empty()) {
    message += ", and the tag " + tag + " is cut in two";
  } else if (cutsCharacter(tail_)) {
    message += ", and a UTF-8 character is cut in two";
  }
  findings_.push_back({line_, pieceColumn_, Severity::Warning, std::move(message)});
}

void Checker::emit() {
  for (const Finding& finding : inColumnOrder(findings_)) {
    switch (finding.severity) {
      case Severity::Note: ++counts_.notes; break;
      case Severity::Warning: ++counts_.warnings; break;
      case Severity::Error: ++counts_.errors; break;
    }
    sink_.report(finding);
  }
}

void Checker::advance(std::string_view piece) {
  end_ = {line_, pieceColumn_ + characterCount(withoutLineEnd(piece))};
  if (piece.ends_with('\n')) {
    ++line_;
    pieceColumn_ = 1;
    lineBytes_ = 0;
    tail_.clear();
    return;
  }
  lineBytes_ += piece.size();
  pieceColumn_ += characterCount(piece);
  tail_.assign(piece.substr(piece.size() - std::min<std::size_t>(3, piece.size())));
}

void Checker::finish() {
  styles_.finish(findings_, end_);
  math_.finish(findings_, end_);
  repeats_.finish(findings_, end_);
  encoding_.finish();
  if (const std::optional<LikelyEncoding> likely = encoding_.likely()) {
    findings_.push_back({end_.line, end_.column, Severity::Note, encodingNote(*likely)});
  }
  emit();
}

std::string summary(const FindingCounts& counts) {
  std::string text;
  auto part = [&text](std::uint64_t n, std::string_view one, std::string_view many) {
    if (n == 0) return;
    if (!text.empty()) text += ", ";
    text += std::to_string(n) + " " + std::string(n == 1 ? one : many);
  };
  part(counts.warnings, "warning", "warnings");
  part(counts.errors, "error", "errors");
  part(counts.notes, "note", "notes");
  return text.empty() ? "no problems" : text;
}

}  // namespace kolvo::check
