#include "check/finding.hpp"

#include <array>

namespace kolvo::check {

std::string_view severityName(Severity severity) {
  constexpr std::array<std::string_view, 3> kNames = {"note", "warning", "error"};
  return kNames[static_cast<std::size_t>(severity)];
}

Finding findingFor(std::uint64_t line, std::uint64_t column, Severity severity,
                   FormatSet formats, std::string_view before, std::string_view after) {
  return {line, column, severity, std::string(before) + std::string(after), formats,
          before.size()};
}

std::string messageOf(const Finding& finding) {
  if (finding.formatsAt == std::string::npos) return finding.message;
  std::string text = finding.message;
  text.insert(finding.formatsAt, formatNames(finding.formats));
  return text;
}

bool sameFindingButFormats(const Finding& earlier, const Finding& later) {
  return earlier.line == later.line && earlier.column == later.column &&
         earlier.severity == later.severity && earlier.formatsAt != std::string::npos &&
         earlier.formatsAt == later.formatsAt && earlier.message == later.message;
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
  text += messageOf(finding);
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
