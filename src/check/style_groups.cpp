#include "check/style_groups.hpp"

#include "markup/tag_table.hpp"

namespace kolvo::check {

// Both colour ends give black, so either closes any colour. "%Se" gives
// the body font back after the small size and after the Symbol font alike.
// Large text widens the line spacing from the line it starts on: it is
// meant to run over several lines.
const std::array<StyleGroup, kStyleGroupCount> kStyleGroups = {{
    {{"%Bs"}, {"%Be"}, StyleKind::Font, false},
    {{"%bs"}, {"%be"}, StyleKind::Font, false},
    {{"%cs"}, {"%ce"}, StyleKind::Paragraph, false},
    {{"%Cs", "%C0"}, {"%Ce"}, StyleKind::Font, false},
    {{"%hs"}, {"%he"}, StyleKind::Mark, false},
    {{"%Hs"}, {"%He"}, StyleKind::Mark, false},
    {{"%is"}, {"%ie"}, StyleKind::Font, false},
    {{"%ls"}, {"%le"}, StyleKind::Font, true},
    {{"%P1", "%P2", "%P3", "%P4", "%P5", "%P6", "%P7", "%P8", "%P9", "%rs"},
     {"%Pe", "%re"},
     StyleKind::Colour,
     false},
    {{"%Ss", "%Sy"}, {"%Se"}, StyleKind::Font, false},
    {{"%ss"}, {"%se"}, StyleKind::Rise, false},
    {{"%us"}, {"%ue"}, StyleKind::Mark, false},
    {{"%xs"}, {"%xe"}, StyleKind::Font, false},
}};

namespace {

std::optional<StyleRole> findStyleRole(std::string_view tag) {
  for (std::size_t g = 0; g < kStyleGroups.size(); ++g) {
    for (std::string_view opener : kStyleGroups[g].openers) {
      if (opener == tag) return StyleRole{g, true};
    }
    for (std::string_view closer : kStyleGroups[g].closers) {
      if (closer == tag) return StyleRole{g, false};
    }
  }
  return std::nullopt;
}

// Each row's role, found once.
struct RolesByRow {
  std::array<std::optional<StyleRole>, kTagRowCount> roles{};
  RolesByRow() {
    for (std::size_t row = 0; row < kTagTable.size(); ++row) {
      roles[row] = findStyleRole(kTagTable[row].tag);
    }
  }
};

}  // namespace

std::optional<StyleRole> styleRoleOf(std::size_t row) {
  static const RolesByRow kRoles;
  return kRoles.roles[row];
}

// What each writer starts a line with: AbiWord and OpenDocument a new run
// (in a new paragraph), RTF "\pard" (the paragraph properties), PDF
// "BT /F1 12 Tf" (the body font). PostScript draws an underline or
// highlight only at its end tag, PDF measures it on its own line. DocBook
// and LaTeX are judged by their structure instead.
LineEnd lineEndOf(StyleKind kind, Format format) {
  switch (format) {
    case Format::AbiWord:
    case Format::OpenDocument:
      return LineEnd::Ends;
    case Format::Rtf:
      return kind == StyleKind::Paragraph ? LineEnd::Ends : LineEnd::Carries;
    case Format::PostScript:
      return kind == StyleKind::Mark ? LineEnd::Lost : LineEnd::Carries;
    case Format::Pdf:
      if (kind == StyleKind::Font) return LineEnd::Ends;
      return kind == StyleKind::Mark ? LineEnd::Lost : LineEnd::Carries;
    case Format::DocBook:
    case Format::Html:
    case Format::Latex:
      return LineEnd::Carries;
  }
  return LineEnd::Carries;
}

}  // namespace kolvo::check
