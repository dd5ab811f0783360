#pragma once
// Real text in many scripts that every Debian machine has: the
// translations of its programs' message catalogues.

#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace kolvo::test {

// The msgstr texts of one language's message catalogues
// (/usr/share/locale/LANGUAGE/LC_MESSAGES/*.mo through msgunfmt, in the
// order of their files): lines of 2 to 60 bytes without "%" or "\" (no
// printf formats, no escapes), at most `count`. A slow test's helper: it
// starts sh, msgunfmt and sed.
inline std::vector<std::string> catalogueLines(const std::string& language, std::size_t count) {
  const CommandResult listing = runCommand(
      {"sh", "-c", "for f in /usr/share/locale/" + language +
                       "/LC_MESSAGES/*.mo; do msgunfmt \"$f\" 2>/dev/null; done | sed -n 's/^msgstr \"\\(.*\\)\"$/\\1/p'"});
  std::vector<std::string> lines;
  std::istringstream in(listing.out);
  for (std::string line; std::getline(in, line) && lines.size() < count;) {
    if (line.size() < 2 || line.size() > 60 || line.find_first_of("%\\") != std::string::npos) continue;
    lines.push_back(line);
  }
  return lines;
}

}  // namespace kolvo::test
