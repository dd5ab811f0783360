// The well-formedness check that the fuzzer and the tests hold Kolvo's XML
// to: it must accept what XML accepts of the kinds Kolvo writes, and refuse
// each fault on its own.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.hpp"
#include "support/xml_check.hpp"

namespace kolvo::test {
namespace {

std::string inRoot(std::string_view content) {
  return "<?xml version=\"1.0\"?>\n<r>" + std::string(content) + "</r>\n";
}

TEST(XmlCheck, AcceptsWellFormedDocuments) {
  for (std::string_view doc : {
           "<r/>",
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- c -->\n<r a='1' b = \"2\"/>\n<?pi x?>\n",
           "<!DOCTYPE abiword PUBLIC \"-//X//EN\" \"http://x/awml.dtd\">\n<abiword></abiword>",
           "<!DOCTYPE r SYSTEM 'r.dtd'><r />",
           "<!DOCTYPE r><r></r >",
       }) {
    EXPECT_EQ(xmlFault(doc), "") << doc;
  }
  for (std::string_view content : {
           "", "text > ]] ]>", "<a><b/><c x:y='&lt;&#169;&#x1F600;'>t</c></a>",
           "&amp;&lt;&gt;&quot;&apos;&#0065;&#x00000041;", "<!---->", "<!-- - < & -->",
           "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\t\r\n", "<a xml:id=\"x\" _b-c.d='\"'/>",
       }) {
    EXPECT_EQ(xmlFault(inRoot(content)), "") << content;
  }
}

TEST(XmlCheck, RefusesEveryFaultOnItsOwn) {
  for (std::string_view content : {
           "<", "a < b", "&", "AT&T", "&nbsp;", "&#0;", "&#xD800;", "&#x110000;",
           "&#99999999999;", "&#X41;", "&#;", "&amp", "]]>", "<!-- a -- b -->", "<!-- a --->",
           "<!-- open", "<a>", "</a>", "<a></b>", "<a><b></a></b>", "<a b></a>", "<a b=c/>",
           "<a b='1'c='2'/>", "<a b='1' b='2'/>", "<a b='<'/>", "<a b='&'/>", "<a b='x/>",
           "<1a/>", "<![CDATA[x]]>", "<?xml version='1.0'?>", "\x01", "\xFF", "\xC3",
           "\xC0\xAF", "\xED\xA0\x80", "\xEF\xBF\xBE", "</r><r>",
       }) {
    EXPECT_NE(xmlFault(inRoot(content)), "") << content;
  }
  for (std::string_view doc : {
           "", "text", " <?xml version='1.0'?><r/>", "<r/><r/>", "<r/>text", "<r>",
           "<r></r></r>", "<!DOCTYPE r><!DOCTYPE r><r/>", "<r/><!DOCTYPE r>",
           "<!DOCTYPE r [<!ENTITY e 'x'>]><r>&e;</r>", "<!DOCTYPE r PUBLIC 'a'><r/>",
       }) {
    EXPECT_NE(xmlFault(doc), "") << doc;
  }
}

TEST(XmlCheck, SaysWhereAndWhat) {
  EXPECT_EQ(xmlFault("<r>a & b</r>"), "byte 5: an \"&\" without a \";\"");
  EXPECT_EQ(xmlFault("<r><b></r>"), "byte 6: an end tag that does not close the innermost open element");
}

TEST(XmlCheck, UncheckedNestingLetsOnlyElementsCross) {
  EXPECT_EQ(xmlFault("<r><p><b>x</p><p>y</i></p></r>", Nesting::Unchecked), "");
  EXPECT_NE(xmlFault("<r><p><b>x</p>", Nesting::Unchecked), "");  // the root stays open
  EXPECT_NE(xmlFault("<r><p><b>x &</p></r>", Nesting::Unchecked), "");
  EXPECT_NE(xmlFault("<r></r></p>", Nesting::Unchecked), "");
}

// DocBook balances the elements of the user's style tags on each line, and
// AbiWord's tags always close the run they open: every golden file is
// well-formed, the styles and symbols documents with their crossed tags too.
TEST(XmlCheck, JudgesTheGoldenFilesAsXmllintDoes) {
  const std::filesystem::path golden = std::filesystem::path(KOLVO_SOURCE_DIR) / "tests/golden";
  for (std::string_view name : {"basic", "basic-t", "layout-T", "styles", "symbols"}) {
    const std::string abw = readFile(golden / (std::string(name) + ".abw"));
    const std::string xml = readFile(golden / (std::string(name) + ".xml"));
    EXPECT_EQ(xmlFault(abw), "") << name;
    EXPECT_EQ(xmlFault(xml, Nesting::Unchecked), "") << name;
    EXPECT_EQ(xmlFault(xml), "") << name;
  }
}

}  // namespace
}  // namespace kolvo::test
