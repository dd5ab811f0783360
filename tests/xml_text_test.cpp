// keepWellFormedXml and escapeXmlText: the user's text as XML character
// data. The cases follow each rule to its edges; the property test has
// xmllint read a few thousand random lines inside an element.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/conversion.hpp"
#include "text/text_decoding.hpp"
#include "text/xml_text.hpp"
#include "support/document_generator.hpp"
#include "support/test_support.hpp"
#include "support/xml_check.hpp"

namespace kolvo {
namespace {

constexpr std::string_view kUntouched = "untouched";

// What keepWellFormedXml makes of `in`, checking the no-change convention.
std::string kept(std::string_view in) {
  std::string out(kUntouched);
  if (!keepWellFormedXml(in, out)) {
    EXPECT_EQ(out, kUntouched) << "no change must leave the output alone";
    return std::string(in);
  }
  EXPECT_NE(out, in) << "a change was reported for text that stayed the same";
  return out;
}

std::string escaped(std::string_view in) {
  std::string out(kUntouched);
  if (!escapeXmlText(in, out)) {
    EXPECT_EQ(out, kUntouched);
    return std::string(in);
  }
  return out;
}

void expectUnchanged(std::string_view in) {
  std::string out(kUntouched);
  EXPECT_FALSE(keepWellFormedXml(in, out)) << in << " became " << out;
}

TEST(KeepWellFormedXml, ExamplesFromUsersText) {
  EXPECT_EQ(kept("AT&T says 3 < 4"), "AT&amp;T says 3 &lt; 4");
  EXPECT_EQ(kept("<mhatta@gnu.org>"), "&lt;mhatta@gnu.org>");
  EXPECT_EQ(kept("<b>x</b> <i>y"), "<b>x</b> &lt;i>y");
  EXPECT_EQ(kept("<b><i></b></i>"), "&lt;b><i>&lt;/b></i>");
  EXPECT_EQ(kept("&#169; &nbsp; &#0;"), "&#169; &amp;nbsp; &amp;#0;");
  std::string decoded;
  ASSERT_TRUE(decodeText("caf\xE9", decoded));
  EXPECT_EQ(kept(decoded), "caf\xC3\xA9");
}

TEST(KeepWellFormedXml, TextWithoutMarkupIsNotCopied) {
  expectUnchanged("");
  expectUnchanged("The letter was carried to the station by seven\n");
  expectUnchanged("a > b, [x]] > y, ]> %bs50%%be");
  expectUnchanged("<b>bold <i a='1' b=\"2\">both</i></b> <br/> <!-- note --> &amp; &#x41;\n");
}

TEST(KeepWellFormedXml, ElementsArePairedWithAStack) {
  EXPECT_EQ(kept("<a><b></b></a>"), "<a><b></b></a>");
  EXPECT_EQ(kept("<a>x</b>"), "&lt;a>x&lt;/b>");
  EXPECT_EQ(kept("</a>stray"), "&lt;/a>stray");
  EXPECT_EQ(kept("<a><b></a>"), "&lt;a>&lt;b>&lt;/a>");
  // An unmatched end tag does not close anything: the later one still pairs.
  EXPECT_EQ(kept("<a>x</b>y</a>"), "<a>x&lt;/b>y</a>");
  // A start tag left open does not stop the pairs after it.
  EXPECT_EQ(kept("<a><b>x</b>"), "&lt;a><b>x</b>");
  EXPECT_EQ(kept("<a></a><a>"), "<a></a>&lt;a>");
  EXPECT_EQ(kept("<br/> <br /> <img src='x'/>"), "<br/> <br /> <img src='x'/>");
  // Names are case sensitive.
  EXPECT_EQ(kept("<B>x</b>"), "&lt;B>x&lt;/b>");
}

TEST(KeepWellFormedXml, TagSyntax) {
  expectUnchanged("<a\t\r\n>x</a \n>");
  expectUnchanged("<_x.y-1>z</_x.y-1>");
  EXPECT_EQ(kept("<1a>x</1a>"), "&lt;1a>x&lt;/1a>");
  EXPECT_EQ(kept("<a:b>x</a:b>"), "&lt;a:b>x&lt;/a:b>");
  EXPECT_EQ(kept("< a>x</ a>"), "&lt; a>x&lt;/ a>");
  EXPECT_EQ(kept("<a/ >"), "&lt;a/ >");
  EXPECT_EQ(kept("<a x='1'>y</a x='1'>"), "&lt;a x='1'>y&lt;/a x='1'>");
  EXPECT_EQ(kept("<é>x</é>"), "&lt;é>x&lt;/é>");
  EXPECT_EQ(kept("<"), "&lt;");
  EXPECT_EQ(kept("<<a/>"), "&lt;<a/>");
  EXPECT_EQ(kept("<?xml version='1.0'?><![CDATA[x]]><!DOCTYPE a>"),
            "&lt;?xml version='1.0'?>&lt;![CDATA[x]]&gt;&lt;!DOCTYPE a>");
}

TEST(KeepWellFormedXml, Attributes) {
  expectUnchanged("<a x='1' y=\"2\"/>");
  expectUnchanged("<a x = '\"' y\t=\n\"'\"/>");  // the other quote inside a value
  expectUnchanged("<a x='> ]]> %b s'/>");
  expectUnchanged("<a x=''/>");
  expectUnchanged("<a xml:lang='en' lang='de' xml='1'/>");
  EXPECT_EQ(kept("<a x='1' x='2'/>"), "&lt;a x='1' x='2'/>");
  EXPECT_EQ(kept("<a xml:lang='en' xml:lang='de'/>"), "&lt;a xml:lang='en' xml:lang='de'/>");
  EXPECT_EQ(kept("<a xml:='1'/>"), "&lt;a xml:='1'/>");
  EXPECT_EQ(kept("<a xmlns:x='1'/>"), "&lt;a xmlns:x='1'/>");
  EXPECT_EQ(kept("<a x='1'y='2'/>"), "&lt;a x='1'y='2'/>");  // no blank between them
  EXPECT_EQ(kept("<a x=1/>"), "&lt;a x=1/>");
  EXPECT_EQ(kept("<a x/>"), "&lt;a x/>");
  EXPECT_EQ(kept("<a x='1/>"), "&lt;a x='1/>");
  EXPECT_EQ(kept("<a x='1\"/>"), "&lt;a x='1\"/>");
  EXPECT_EQ(kept("<a x='<'/>"), "&lt;a x='&lt;'/>");
  // A tag that is not kept is text: its "&" and the "<" are escaped alike.
  EXPECT_EQ(kept("<a x='&'>"), "&lt;a x='&amp;'>");
}

// The tag rows and clean-ups run after this step: a user's tag that they
// would change into something else is not kept.
TEST(KeepWellFormedXml, TagsTheLaterStepsWouldChangeAreText) {
  // A tag of the markup in a value becomes the format's markup.
  EXPECT_EQ(kept("<a x='%bs'/>"), "&lt;a x='%bs'/>");
  // The underscore after a blank goes, which would make these one attribute.
  EXPECT_EQ(kept("<a x='1' _x='2'/>"), "&lt;a x='1' _x='2'/>");
  expectUnchanged("<a x='1'\t_x='2'/> <_a/>");
  // In AbiWord every tag text ends and begins a run, so an element around
  // a tag would be crossed; elements beside tags are kept.
  std::string out;
  ASSERT_TRUE(keepWellFormedXml("<b>x %bs y</b> %be <i>z</i>", out, true));
  EXPECT_EQ(out, "&lt;b>x %bs y&lt;/b> %be <i>z</i>");
  EXPECT_FALSE(keepWellFormedXml("<b>x %bs y</b>", out, false));
}

TEST(KeepWellFormedXml, AmpersandsInAttributeValues) {
  EXPECT_EQ(kept("<a href='?p=1&q=2'>x</a>"), "<a href='?p=1&amp;q=2'>x</a>");
  expectUnchanged("<a t=\"&quot;&lt;&#60;\"/>");
  EXPECT_EQ(kept("<a t='&#0;'/>"), "<a t='&amp;#0;'/>");
}

TEST(KeepWellFormedXml, Comments) {
  expectUnchanged("<!-- a & b < c ]]> -->");
  expectUnchanged("<!---->");
  expectUnchanged("<!-- - -->");
  expectUnchanged("<a><!-- </a> --></a>");
  EXPECT_EQ(kept("<!-- a -- b -->"), "&lt;!-- a -- b -->");
  EXPECT_EQ(kept("<!-- a --->"), "&lt;!-- a --->");
  EXPECT_EQ(kept("<!--->"), "&lt;!--->");
  EXPECT_EQ(kept("<!-- open & <b>x</b>"), "&lt;!-- open &amp; <b>x</b>");
  EXPECT_EQ(kept("<!-- x --"), "&lt;!-- x --");
  EXPECT_EQ(kept("<!- x ->"), "&lt;!- x ->");
  // A comment hides what looks like tags in it from the pairing.
  EXPECT_EQ(kept("<a><!-- <b> --></a>"), "<a><!-- <b> --></a>");
}

// A tag whose text is empty ("%cs" in AbiWord and DocBook) would join the
// dashes around it, so a comment holding a tag and a dash is text.
TEST(KeepWellFormedXml, CommentsTheTagRowsCouldBreakAreText) {
  EXPECT_EQ(kept("<!-- a-%cs-b -->"), "&lt;!-- a-%cs-b -->");
  EXPECT_EQ(kept("<!-- x -%ps%pscs-->"), "&lt;!-- x -%ps%pscs-->");
  expectUnchanged("<!-- %bs note --> <!-- a-b --> %cs-");
}

// AbiWord's own document elements are text in an AbiWord line, paired or
// not; other elements, and the same names in other formats, are kept.
TEST(KeepWellFormedXml, TheFormatsOwnDocumentElementsAreText) {
  std::string out;
  ASSERT_TRUE(keepWellFormedXml("<p>a</p> <table/> <x>b</x> <c>d</c>", out, true,
                                kAbiWordDocumentElements));
  EXPECT_EQ(out, "&lt;p>a&lt;/p> &lt;table/> <x>b</x> <c>d</c>");
  EXPECT_FALSE(keepWellFormedXml("<p>a</p> <table/>", out, true));
}

TEST(KeepWellFormedXml, CommentsAroundTagsLeaveTheOutputWellFormed) {
  for (const Format format : {Format::AbiWord, Format::DocBook}) {
    const std::string doc =
        convertText("<!-- a-%cs-b --> <!-- x -%cs--> <!-- %bs --> -%cs-\n", format);
    EXPECT_EQ(test::xmlFault(doc), "") << doc;
  }
}

TEST(KeepWellFormedXml, CdataSectionEndInText) {
  EXPECT_EQ(kept("a]]>b"), "a]]&gt;b");
  EXPECT_EQ(kept("]]]>"), "]]]&gt;");
  EXPECT_EQ(kept("]]>]]>"), "]]&gt;]]&gt;");
  EXPECT_EQ(kept("<b>]]></b>"), "<b>]]&gt;</b>");
  EXPECT_EQ(kept("<a ]]>"), "&lt;a ]]&gt;");
  expectUnchanged("] ]> ]>");
  // A tag whose text is empty joins what stands around it.
  EXPECT_EQ(kept("]]%zp> ]%cs]%ce> ]x%zp]>"), "]]%zp&gt; ]%cs]%ce&gt; ]x%zp]>");
}

TEST(KeepWellFormedXml, References) {
  expectUnchanged("&amp;&lt;&gt;&quot;&apos;");
  expectUnchanged("&#9;&#10;&#13;&#32;&#x20;&#xD7FF;&#xE000;&#xFFFD;&#x10000;&#x10FFFF;&#xd7ff;");
  expectUnchanged("&#1114111;");  // U+10FFFF in decimal
  expectUnchanged("&#000000000000000000000000000065;");  // thirty digits, "A"
  for (std::string_view bad :
       {"&#0;", "&#8;", "&#x1F;", "&#xD800;", "&#xDFFF;", "&#xFFFE;", "&#xFFFF;", "&#x110000;",
        "&#1114112;", "&#999999999999999999999999999999;", "&#x10000000000000000000000041;",
        "&#4294967361;",  // 2^32 + 65: wraps to "A" in 32 bits
        "&#X41;", "&#x;", "&#;", "&#65", "&#x4g;", "&amp", "&AMP;", "&nbsp;", "& amp;", "&"}) {
    EXPECT_EQ(kept(bad), "&amp;" + std::string(bad.substr(1))) << bad;
  }
  EXPECT_EQ(kept("&&amp;"), "&amp;&amp;");
}

TEST(KeepWellFormedXml, KolvoTagsPassThrough) {
  expectUnchanged("%bsbold%be %g1 %ps");
  EXPECT_EQ(kept("%bs<b>%be"), "%bs&lt;b>%be");
}

TEST(KeepWellFormedXml, LongHostileLinesTakeLinearTime) {
  // Each would take minutes if a failed piece of markup were read again
  // from every "<" or "&" inside it.
  const std::size_t n = 200000;
  std::vector<std::string> lines;
  auto repeat = [&](std::string_view piece) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += piece;
    return s;
  };
  lines.push_back(repeat("<a "));
  lines.push_back(repeat("<a x='"));
  lines.push_back(repeat("<!--"));
  lines.push_back("<!--" + repeat("<a>"));
  lines.push_back(repeat("<a>") + repeat("</a>"));
  lines.push_back(repeat("&#1"));
  lines.push_back("<a " + repeat("b") + "='1' " + repeat("b") + "='2'/>");
  std::string attributes = "<a";
  for (std::size_t i = 0; i < n / 4; ++i) attributes += " a" + std::to_string(i) + "=''";
  lines.push_back(attributes + "/>");
  const auto start = std::chrono::steady_clock::now();
  std::string out;
  for (const std::string& line : lines) keepWellFormedXml(line, out);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 5.0);
  // The deep one pairs up completely.
  EXPECT_FALSE(keepWellFormedXml(repeat("<a>") + repeat("</a>"), out));
}

using test::Random;

// A start, end or empty-element tag of "a" or "b" with attributes that may
// repeat, lack a blank before them or hold what a value must not.
std::string randomTag(Random& random) {
  static constexpr std::string_view kAttributes[] = {
      " x='1'", " x=\"2\"", " y=\"&\"", " y='&amp;'", " xml:lang='en'", " xml:lang=\"de\"",
      " z='<'", " z = ''", "z='3'", " z", "\tx='4'"};
  std::string tag = random.below(4) == 0 ? "</" : "<";
  tag += random.below(2) == 0 ? "a" : "b";
  for (std::size_t n = random.below(4); n > 0; --n) {
    tag += kAttributes[random.below(std::size(kAttributes))];
  }
  tag += random.below(3) == 0 ? "/>" : random.below(4) == 0 ? " >" : ">";
  return tag;
}

// A line made of pieces that are likely to form markup, nearly form it, or
// break it, and of arbitrary bytes.
std::string randomLine(Random& random) {
  static constexpr std::string_view kPieces[] = {
      "<", ">", "/", "</", "/>", "<!--", "-->", "--", "-", "!", "&", ";", "#", "&#", "&#x",
      "&amp;", "&lt;", "&nbsp;", "&#169;", "&#xD800;", "&#x10FFFF;", "]]", "]", "]]>", "=",
      "\"", "'", " ", "\t", "\r", "\n", "a", "b", "x1", "_u", ":", "xml:", "xml:lang", "?",
      "%bs", "%be", "\xC3\xA9", "<a>", "</a>", "<b>", "</b>", "<i/>", "<a x='1'>",
      "<b y=\"&\" z='2'>", "<a xml:lang='en'>", "<!-- c -->", "text", "0", "9", "F"};
  std::string line;
  const std::size_t count = random.below(30);
  for (std::size_t i = 0; i < count; ++i) {
    if (random.below(8) == 0) {
      line += static_cast<char>(random.below(256));
    } else if (random.below(6) == 0) {
      line += randomTag(random);
    } else {
      line += kPieces[random.below(std::size(kPieces))];
    }
  }
  if (random.below(2) == 0) line += '\n';
  return line;
}

std::string asXml(std::string_view line) {
  std::string text;
  if (!decodeText(line, text)) text = line;
  std::string out;
  return keepWellFormedXml(text, out) ? out : text;
}

// Two thousand random lines made well-formed, each inside an element of
// its own, in one document.
struct RandomLines {
  std::vector<std::string> lines;
  std::string document;
};

RandomLines randomLinesAsXml() {
  Random random(0x786d6c2d74657874);
  RandomLines made;
  made.document = "<lines>\n";
  for (int i = 0; i < 2000; ++i) {
    made.lines.push_back(randomLine(random));
    made.document += "<r>" + asXml(made.lines.back()) + "</r>\n";
  }
  made.document += "</lines>\n";
  return made;
}

TEST(KeepWellFormedXml, RandomLinesAreWellFormedInsideAnElement) {
  const RandomLines made = randomLinesAsXml();
  for (const std::string& line : made.lines) {
    const std::string xml = asXml(line);
    EXPECT_EQ(test::xmlFault("<r>" + xml + "</r>"), "")
        << testing::PrintToString(line) << " became " << testing::PrintToString(xml);
    // Once well-formed, a line stays as it is.
    std::string again;
    EXPECT_FALSE(keepWellFormedXml(xml, again)) << testing::PrintToString(line);
  }
  EXPECT_EQ(test::xmlFault(made.document), "");
}

TEST(KeepWellFormedXmlReaders, XmllintAcceptsTheRandomLines) {
  KOLVO_REQUIRE_TOOL("xmllint");
  const RandomLines made = randomLinesAsXml();
  test::TempDir dir;
  test::writeFile(dir / "lines.xml", made.document);
  const test::CommandResult all =
      test::runCommand({"xmllint", "--noout", "--nonet", (dir / "lines.xml").string()});
  if (all.status == 0) return;
  // Name the first line that fails on its own.
  for (const std::string& line : made.lines) {
    test::writeFile(dir / "line.xml", "<r>" + asXml(line) + "</r>\n");
    const test::CommandResult one =
        test::runCommand({"xmllint", "--noout", "--nonet", (dir / "line.xml").string()});
    if (one.status != 0) {
      FAIL() << "line " << testing::PrintToString(line) << " became "
             << testing::PrintToString(asXml(line)) << ":\n" << one.err;
    }
  }
  FAIL() << "the lines fail together but not alone:\n" << all.err.substr(0, 2000);
}

TEST(EscapeXmlText, MarkupCharactersBecomeEntities) {
  EXPECT_EQ(escaped("AT&T: 3 < 4 > 2 &amp;"), "AT&amp;T: 3 &lt; 4 &gt; 2 &amp;amp;");
  EXPECT_EQ(escaped("<b>x</b>"), "&lt;b&gt;x&lt;/b&gt;");
  EXPECT_EQ(escaped("snake_case _x"), "snake&#95;case &#95;x");
}

TEST(EscapeXmlText, TagsStayAndOtherPercentSignsAreEscaped) {
  std::string out(kUntouched);
  EXPECT_FALSE(escapeXmlText("plain text %bsbold%be\n", out));
  EXPECT_EQ(out, kUntouched);
  EXPECT_EQ(escaped("100%"), "100&#37;");
  EXPECT_EQ(escaped("%%bs"), "&#37;%bs");
  EXPECT_EQ(escaped("%zz %b"), "&#37;zz &#37;b");
  // A tag's bytes are not looked at again: the "%" of "%bs" does not start
  // a second tag with the "s" and what follows.
  EXPECT_EQ(escaped("%bs%be<"), "%bs%be&lt;");
}

}  // namespace
}  // namespace kolvo
