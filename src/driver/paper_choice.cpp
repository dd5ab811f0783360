#include "driver/paper_choice.hpp"

#include <fstream>
#include <sstream>

namespace kolvo {
namespace {

constexpr std::string_view kSystemPaperFile = "/etc/papersize";
constexpr std::string_view kBlanks = " \t\r\f\v";

}  // namespace

std::string paperNamedIn(std::string_view file) {
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    std::string_view line = file.substr(0, end);
    file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string_view::npos || line[first] == '#') continue;
    line = line.substr(first);
    return std::string(line.substr(0, line.find_last_not_of(kBlanks) + 1));
  }
  return {};
}

ConfiguredPaper configuredPaper(const char* papersize, const char* paperconf) {
  if (papersize != nullptr && *papersize != '\0') return {papersize, "PAPERSIZE"};
  const std::string path =
      paperconf != nullptr && *paperconf != '\0' ? paperconf : std::string(kSystemPaperFile);
  std::ifstream in(path);
  if (in) {
    std::ostringstream text;
    text << in.rdbuf();
    std::string name = paperNamedIn(text.str());
    if (!name.empty()) return {std::move(name), path};
  }
  return {"a4", "the default"};
}

}  // namespace kolvo
