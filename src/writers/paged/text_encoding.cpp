#include "writers/paged/text_encoding.hpp"

#include <cstddef>
#include <cstdint>

namespace kolvo::paged {
namespace {

constexpr bool inCodeOrder() {
  for (std::size_t i = 1; i < kTextEncoding.size(); ++i) {
    if (kTextEncoding[i - 1].code >= kTextEncoding[i].code) return false;
  }
  return true;
}
static_assert(inCodeOrder(), "kTextEncoding lists each code once, in order");

constexpr bool inUnicodeOrder() {
  for (std::size_t i = 1; i < kSymbolGlyphs.size(); ++i) {
    if (kSymbolGlyphs[i - 1].unicode >= kSymbolGlyphs[i].unicode) return false;
  }
  return true;
}
static_assert(inUnicodeOrder(), "kSymbolGlyphs lists each character once, in order");

}  // namespace

}  // namespace kolvo::paged
