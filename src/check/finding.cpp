#include "check/finding.hpp"

#include <array>

namespace kolvo::check {

std::string_view severityName(Severity severity) {
  constexpr std::array<std::string_view, 3> kNames = {"note", "warning", "error"};
  return kNames[static_cast<std::size_t>(severity)];
}

std::string formatFinding(std::string_view inputName, const Finding& finding) {
  std::string text(inputName);
  text += ':';
  text += std::to_string(finding.line);
  text += ':';
  text += std::to_string(finding.column);
  text += ": ";
  text += severityName(finding.severity);
  text += ": ";
  text += finding.message;
  text += '\n';
  return text;
}

std::string formatNames(FormatSet formats) {
  std::string text;
  std::size_t left = 0;
  for (const FormatInfo& f : kFormats) left += formats.has(f.format) ? 1U : 0U;
  for (const FormatInfo& f : kFormats) {
    if (!formats.has(f.format)) continue;
    if (!text.empty()) text += left == 1 ? " and " : ", ";
    text += f.name;
    --left;
  }
  return text;
}

}  // namespace kolvo::check
