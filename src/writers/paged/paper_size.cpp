#include "writers/paged/paper_size.hpp"

#include <algorithm>

namespace kolvo {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

const PaperSize* findPaperSize(std::string_view name) {
  for (const PaperSize& paper : kPaperSizes) {
    if (sameName(paper.name, name)) return &paper;
  }
  return nullptr;
}

std::string paperSizeNames() {
  std::string names;
  for (const PaperSize& paper : kPaperSizes) {
    if (!names.empty()) names += ", ";
    names += paper.name;
  }
  return names;
}

}  // namespace kolvo
