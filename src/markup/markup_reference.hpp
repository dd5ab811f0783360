#pragma once
// The markup reference: a table of every tag, made from the tag table itself
// so that the documentation cannot drift from the program. The README holds
// the Markdown form, the manual page (docs/kolvo.1) the roff form.

#include <string>

namespace kolvo {

enum class ReferenceStyle { Markdown, Roff };

std::string markupReference(ReferenceStyle style = ReferenceStyle::Markdown);

}  // namespace kolvo
