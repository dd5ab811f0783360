#pragma once
// --paper auto: the paper size the system is configured for, looked up as
// Debian's paper configuration (libpaper) does.

#include <string>
#include <string_view>

namespace kolvo {

// The configured paper's name and where it was found, for messages.
struct ConfiguredPaper {
  std::string name;
  std::string source;
};

// The PAPERSIZE variable when it is set and not empty; else the first
// paper named in the file PAPERCONF names, or in /etc/papersize; else a4.
// The arguments are the two variables' values (nullptr when unset).
ConfiguredPaper configuredPaper(const char* papersize, const char* paperconf);

// The paper a paper configuration file names: its first line that is
// neither empty nor a "#" comment, without blanks around it; empty when
// there is none.
std::string paperNamedIn(std::string_view file);

}  // namespace kolvo
