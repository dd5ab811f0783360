#pragma once
// Which format a word names: the FORMAT word of the command line, and the
// extension of OUTPUT, both read against kFormats.

#include <optional>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo {

// The format whose extension or alias is `word`, in any case ("PDF", "htm").
std::optional<Format> formatNamed(std::string_view word);

// FORMAT: a format's name first, then, as it always was, the second
// character alone ("-P", "/h", "xh").
std::optional<Format> formatOfWord(std::string_view word);

// The format the extension of `path` names, if any ("out.pdf": PDF).
std::optional<Format> formatOfExtension(std::string_view path);

}  // namespace kolvo
