#pragma once
// A strict well-formedness check for the XML that Kolvo writes (AbiWord,
// DocBook), independent of the program's own XML code so that it can judge
// it: UTF-8 of characters XML allows; an optional XML declaration, comments,
// processing instructions and one DOCTYPE before a single root element;
// start, end and empty-element tags with quoted attribute values, no
// attribute twice; comments without "--"; "&" only in the five predefined
// entities or a character reference to an allowed character; no "<" in
// text or values, no "]]>" in text.
// Where Kolvo never goes it is stricter than XML: names are ASCII (letters,
// digits, "_", ":", ".", "-"), and CDATA sections and internal DTD subsets
// are refused.

#include <string>
#include <string_view>

namespace kolvo::test {

enum class Nesting {
  Checked,    // every end tag closes the innermost open element
  Unchecked,  // an end tag closes the nearest open element of its name and
              // whatever is still open inside it; one that closes nothing
              // is let pass (the root must still be closed)
};

// Empty when `doc` is well-formed, else its first fault:
// "byte N: what is wrong".
std::string xmlFault(std::string_view doc, Nesting nesting = Nesting::Checked);

}  // namespace kolvo::test
