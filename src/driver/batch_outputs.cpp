#include "driver/batch_outputs.hpp"

#include <map>

#include "io/message_text.hpp"

namespace kolvo {

std::optional<std::string> batchOutputPath(std::string_view folder, std::string_view inputPath,
                                           Format format) {
  const std::size_t slash = inputPath.rfind('/');
  std::string_view name = slash == std::string_view::npos ? inputPath : inputPath.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  std::string path(folder);
  if (!path.ends_with('/')) path += '/';
  path += name;
  path += '.';
  path += formatExtension(format);
  return path;
}

std::optional<std::string> sharedOutputProblem(std::span<const std::string> inputPaths,
                                               std::span<const std::string> outputPaths) {
  std::map<std::string_view, std::size_t> firstInput;
  for (std::size_t i = 0; i < outputPaths.size(); ++i) {
    const auto [at, added] = firstInput.emplace(outputPaths[i], i);
    if (added) continue;
    return "INPUT " + quoted(inputPaths[at->second]) + " and " + quoted(inputPaths[i]) +
           " would both be written to " + quoted(outputPaths[i]) +
           "; convert one of them on its own";
  }
  return std::nullopt;
}

}  // namespace kolvo
