#pragma once
// What every check of one line gets: the line, where it is, which tags it
// holds, for which formats and text mode to judge it, and where findings go.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/columns.hpp"
#include "check/finding.hpp"

namespace kolvo::check {

struct CheckOptions {
  FormatSet formats = FormatSet::all();
  TextMode mode = TextMode::Markup;
};

// A "%" and two letters or digits in the line; `row` is empty when no tag
// of the table has that name.
struct TagOccurrence {
  std::size_t byte;
  std::optional<std::size_t> row;
};

class LineContext {
 public:
  LineContext(std::string_view text, std::uint64_t line, std::size_t firstColumn,
              const CheckOptions& options, std::vector<Finding>& findings);

  std::string_view text() const { return text_; }
  const CheckOptions& options() const { return options_; }
  const std::vector<TagOccurrence>& tags() const { return tags_; }
  std::uint64_t line() const { return line_; }

  // The 1-based column of text()[byte].
  std::size_t columnOf(std::size_t byte) const;

  // The known tag that begins at `byte`, if any.
  const TagOccurrence* knownTagAt(std::size_t byte) const;

  void report(std::size_t byte, Severity severity, std::string message);
  // The same at the character `index` (0-based) of the line.
  void reportAtColumn(std::size_t index, Severity severity, std::string message);

 private:
  std::string_view text_;
  std::uint64_t line_;
  std::size_t firstColumn_;
  const CheckOptions& options_;
  std::vector<Finding>& findings_;
  std::vector<TagOccurrence> tags_;
};

// The formats of `options` among `candidates`.
FormatSet formatsAmong(const CheckOptions& options, FormatSet candidates);

// "%bs (bold on)": a tag with what it means, for messages.
std::string describeTag(std::size_t row);

// The findings of each kind of check; each reports through the context.
void checkTags(LineContext& line);
void checkDrawingLine(LineContext& line);
void checkMarkupText(LineContext& line);
void checkTypedText(LineContext& line);
void checkPageBreaks(LineContext& line);
void checkFormedTags(LineContext& line);

}  // namespace kolvo::check
