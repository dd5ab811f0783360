// The tags' elements of a typed DocBook or HTML line stay balanced whatever
// order the tags come in, and a line that was balanced is written as it was.
#include "writers/element_balance.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "support/document_generator.hpp"
#include "io/message_text.hpp"
#include "markup/line_marks.hpp"
#include "pipeline/line_rewrite.hpp"
#include "support/test_support.hpp"

namespace kolvo {
namespace {

// The body of a typed document: its lines after the title (DocBook) or the
// start of the body (HTML), without the closing line.
std::string typedBody(std::string_view input, Format format) {
  const std::string document = convertText(input, format, 's', nullptr, TextMode::Typed);
  const std::string_view headEnd = format == Format::Html ? "<body" : "</title>";
  const std::size_t start = document.find('\n', document.find(headEnd)) + 1;
  const std::size_t end = document.rfind(format == Format::Html ? "</body>" : "</article>");
  return document.substr(start, end - start);
}

// Where the elements of `text` do not close, in order, by its end; empty
// when they do. Entities, comments and "/>" need no closing.
std::string nestingFault(std::string_view text) {
  std::vector<std::string_view> open;
  for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    const std::size_t close = text.find('>', at);
    if (close == std::string_view::npos) return "a '<' never closed";
    const std::string_view tag = text.substr(at, close + 1 - at);
    if (tag.ends_with("/>") || tag.starts_with("<!") || tag.starts_with("<?")) continue;
    const bool end = tag.starts_with("</");
    std::string_view name = tag.substr(end ? 2 : 1);
    name = name.substr(0, name.find_first_of(" >"));
    if (name == "br") continue;
    if (!end) {
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      return "</" + std::string(name) + "> at " + std::to_string(at);
    } else {
      open.pop_back();
    }
  }
  return open.empty() ? std::string() : "<" + std::string(open.back()) + "> left open";
}

bool balanced(std::string_view text, std::string& why) {
  why = nestingFault(text);
  return why.empty();
}

TEST(ElementBalance, MisnestedUnclosedAndStrayEndTags) {
  EXPECT_EQ(typedBody("%bsa%isb%bec%ie\n", Format::Html), "<b>a<i>b</i></b><i>c</i>  <br />\n");
  // Each end tag closes its own style's element, though both are <emphasis>.
  EXPECT_EQ(typedBody("%bsa%isb%bec%ie\n", Format::DocBook),
            "<para><emphasis role=\"bold\">a<emphasis>b</emphasis></emphasis><emphasis>c</emphasis> "
            "</para>\n");
  // Left open: closed before the line's last blank. Closing nothing: left out.
  EXPECT_EQ(typedBody("%bsbold\n", Format::Html), "<b>bold</b>  <br />\n");
  EXPECT_EQ(typedBody("plain%be\n", Format::Html), "plain  <br />\n");
  EXPECT_EQ(typedBody("%BsBroken letter%be\n", Format::DocBook),
            "<para><emphasis role=\"bold\">Broken letter</emphasis> </para>\n");
  // Bold inside bold is bold: the first end tag ends it.
  EXPECT_EQ(typedBody("%bsa%bsb%bec%be\n", Format::Html), "<b>ab</b>c  <br />\n");
  // An element left empty is left out, whoever closed it.
  EXPECT_EQ(typedBody("%bs\n", Format::Html), "  <br />\n");
  EXPECT_EQ(typedBody("a%bs%bez\n", Format::Html), "az  <br />\n");
  EXPECT_EQ(typedBody("%bsa%is%bec\n", Format::Html), "<b>a</b><i>c</i>  <br />\n");
  // A tab is white space to HTML's readers as much as a blank: an element
  // holding tabs and blanks alone is left out too, balanced or not.
  EXPECT_EQ(typedBody("a%P4 \t%Peb\n", Format::Html), "a \tb  <br />\n");
  EXPECT_EQ(typedBody("a%P4%P4\t%leb\n", Format::Html), "a\tb  <br />\n");
  EXPECT_EQ(typedBody("a%bs\t\n", Format::DocBook), "<para>a\t </para>\n");
  // Each line on its own: what one line leaves open does not reach the next.
  EXPECT_EQ(typedBody("%isa\nb%ie\n", Format::Html), "<i>a</i>  <br />\nb  <br />\n");
}

// DocBook's literal and superscript may not hold emphasis: a style opened
// inside one is a phrase with the same role, closed as a phrase.
TEST(ElementBalance, DocBookNarrowElementsHoldPhrasesNotEmphasis) {
  EXPECT_EQ(typedBody("%Cscode %bsbold%be x%Ce\n", Format::DocBook),
            "<para><literal>code <phrase role=\"bold\">bold</phrase> x</literal> </para>\n");
  // Outside them, emphasis stays emphasis; HTML has no such rule.
  EXPECT_EQ(typedBody("%bsbold%be\n", Format::DocBook),
            "<para><emphasis role=\"bold\">bold</emphasis> </para>\n");
  EXPECT_EQ(typedBody("%Cscode %bsbold%be%Ce\n", Format::Html).find("phrase"), std::string::npos);
}

TEST(ElementBalance, BalancedLinesAndMarkupAreWrittenAsBefore) {
  const std::string line = "%csTitle%ce\n%bsa %isb%ie%be %P4c%Pe %hsd%he\n";
  for (Format f : {Format::Html, Format::DocBook}) {
    const std::string typed = convertText(line, f, 's', nullptr, TextMode::Typed);
    std::string why;
    EXPECT_TRUE(balanced(typedBody(line, f), why)) << why;
    EXPECT_NE(typed.find(f == Format::Html ? "<b>a <i>b</i></b>" : "b</emphasis></emphasis>"),
              std::string::npos)
        << typed;
  }
  // Markup keeps its bytes, unbalanced or not.
  EXPECT_NE(convertText("%bsa%isb%bec%ie\n", Format::Html).find("<b>a<i>b</b>c</i>"),
            std::string::npos);
}

TEST(ElementBalance, EveryGeneratedLineComesOutBalanced) {
  const std::vector<std::string> lines = test::tagHeavyLines(20261208u, 2000, 4);
  for (Format f : {Format::Html, Format::DocBook}) {
    for (const std::string& line : lines) {
      std::string why;
      ASSERT_TRUE(balanced(typedBody(line, f), why))
          << formatName(f) << ": " << why << " in " << printable(line);
    }
  }
}

// Without --escape DocBook is well-formed for any line, the user's own
// elements crossing the tags' included; a line that was well-formed keeps
// every byte.
std::string markupDocBookBody(std::string_view line) {
  const std::string document = convertText(line, Format::DocBook);
  const std::size_t start = document.find("<para");
  if (start == std::string::npos) return {};  // a drawing line
  return document.substr(start, document.rfind("</book>") - start);
}

TEST(ElementBalance, MarkupDocBookChangesOnlyLinesThatAreNotWellFormed) {
  EXPECT_EQ(markupDocBookBody("<x>a %bsb</x> c%be\n"),
            "<para><x>a <emphasis role=\"bold\">b</emphasis></x><emphasis role=\"bold\"> "
            "c</emphasis> </para>\n");
  EXPECT_EQ(markupDocBookBody("%BsBroken letter%be\n"),
            "<para><title>Broken letter</title> </para>\n");
  // A tag's text inside the user's comment is part of the comment.
  EXPECT_EQ(markupDocBookBody("<!-- %bs --> a%be\n"),
            "<para><!-- <emphasis role=\"bold\"> --> a </para>\n");
  std::vector<std::string> lines = test::tagHeavyLines(20261210u, 2000, 4);
  lines.push_back("%bs<x>a</x>%be %bs%be <y>b</y>\n");
  std::size_t kept = 0;
  for (const std::string& input : lines) {
    std::string rewritten = input;
    std::string scratch;
    LineMarks marks;
    EscapeStats stats;
    rewriteLine(rewritten, scratch, Format::DocBook, marks, TextMode::Markup, stats);
    const std::string body = markupDocBookBody(input);
    std::string why;
    ASSERT_TRUE(balanced(body, why)) << why << " in " << printable(input);
    if (!body.empty() && balanced(rewritten, why)) {
      ASSERT_NE(body.find(rewritten), std::string::npos) << printable(input);
      ++kept;
    }
  }
  EXPECT_GT(kept, 100u);
}

// A line judged to stand as it is comes out of the balancing unchanged:
// the quick judgement never skips a line balancing would change.
TEST(ElementBalance, LinesThatStandAsTheyAreAreThoseBalancingLeaves) {
  std::vector<std::string> lines = test::tagHeavyLines(20261211u, 3000, 4);
  lines.push_back("%Cscode %bsbold%be%Ce %bsa%bsb%be%be %bs %be <x>%bs</x>%be\n");
  std::size_t asTheyAre = 0;
  for (const auto& [format, mode] : {std::pair{Format::Html, TextMode::Typed},
                                     std::pair{Format::DocBook, TextMode::Typed},
                                     std::pair{Format::DocBook, TextMode::Markup},
                                     std::pair{Format::Latex, TextMode::Typed}}) {
    // Two balancers, as LaTeX's carries groups from line to line.
    ElementBalancer balancer(format, mode);
    ElementBalancer alwaysBalancing(format, mode);
    std::string quick;
    std::string always;
    for (const std::string& input : lines) {
      std::string line = input;
      std::string scratch;
      LineMarks marks;
      EscapeStats stats;
      rewriteLine(line, scratch, format, marks, mode, stats);
      const TypedLine typed{line, stats.lineItems.all(), false, stats.lineItems.paintings()};
      ASSERT_TRUE(alwaysBalancing.balance(typed, always, true));
      if (balancer.balance(typed, quick)) continue;
      ASSERT_EQ(always, line) << formatName(format) << ": " << printable(input);
      ++asTheyAre;
    }
  }
  EXPECT_GT(asTheyAre, 1000u);
}

// Typed LaTeX: a style's group is closed at the end of its line and opened
// again on the next (a line break may not stand in it), a "}" that closes
// nothing is left out, and centring stays the line's own.
TEST(ElementBalance, LatexGroupsCloseAtEachLineAndGoOn) {
  const std::string document = convertText(
      "%bsbold on\nstill bold\nend%be plain%ie x\n%csCentre %bsb\nnext%be\n%us%isu\n",
      Format::Latex, 's', nullptr, TextMode::Typed);
  const std::size_t start = document.find("\\noindent\n") + 10;
  EXPECT_EQ(document.substr(start, document.find("\\end{document}") - start),
            "\\textbf{bold on}  \\\\ \n"
            "\\textbf{still bold}  \\\\ \n"
            "\\textbf{end} plain x  \\\\ \n"
            "\\begin{center}Centre \\textbf{b}\\end{center}  \n"
            "\\textbf{next}  \\\\ \n"
            "\\underline{\\textit{u}}  \\\\ \n");
  // Without --escape the user's LaTeX is the user's: nothing is balanced.
  EXPECT_NE(convertText("%bsbold on\n", Format::Latex).find("\\textbf{bold on  \\\\"),
            std::string::npos);
}

TEST(ElementBalance, TagTextsCutIntoPieces) {
  using Kind = ElementBalancer::Piece::Kind;
  const auto pieces = ElementBalancer::piecesOf("</c><c props=\"x\">&#37;<br /><br>a</b>");
  ASSERT_EQ(pieces.size(), 4u);
  EXPECT_EQ(pieces[0].kind, Kind::End);
  EXPECT_EQ(pieces[0].name, "c");
  EXPECT_EQ(pieces[1].kind, Kind::Start);
  EXPECT_EQ(pieces[1].bytes, "<c props=\"x\">");
  EXPECT_EQ(pieces[2].kind, Kind::Text);
  EXPECT_EQ(pieces[2].bytes, "&#37;<br /><br>a");
  EXPECT_EQ(pieces[3].kind, Kind::End);
  EXPECT_EQ(pieces[3].name, "b");
}

}  // namespace
}  // namespace kolvo
