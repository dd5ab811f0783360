#pragma once
// The fallback runs of shaped glyphs a conversion run has built, kept to be
// written again: prose says its words again and again, and the run of a
// word the fonts kept (ShapedPiece::kept) in the same font in force is the
// same bytes each time. Building it again would cost more than its codes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "writers/paged/fallback_run.hpp"
#include "writers/paged/font_in_force.hpp"

namespace kolvo::paged {

class BuiltRuns {
 public:
  // The run built for the glyphs kept as `kept` in the font in force
  // `inForce`, or null.
  const BuiltRun* find(std::uint64_t kept, const FontInForce& inForce) {
    const std::unordered_map<std::uint64_t, BuiltRun>& runs = runsIn(inForce);
    const auto found = runs.find(kept);
    return found == runs.end() ? nullptr : &found->second;
  }
  // Room for the run of `kept` in `inForce`, which find() did not give.
  BuiltRun& add(std::uint64_t kept, const FontInForce& inForce) {
    // A bound, not a policy: past it the runs are built again.
    if (++count_ > kMostRuns) {
      fonts_.clear();
      count_ = 1;
    }
    return runsIn(inForce)[kept];
  }

 private:
  // The font in force is compared by its text: the runs of each are kept
  // apart.
  struct InFont {
    std::string font;
    std::string size;
    std::string show;
    std::unordered_map<std::uint64_t, BuiltRun> runs;
  };
  static constexpr std::size_t kMostRuns = std::size_t{1} << 16U;

  std::unordered_map<std::uint64_t, BuiltRun>& runsIn(const FontInForce& inForce) {
    if (current_ < fonts_.size() && isFont(fonts_[current_], inForce)) return fonts_[current_].runs;
    for (current_ = 0; current_ < fonts_.size(); ++current_) {
      if (isFont(fonts_[current_], inForce)) return fonts_[current_].runs;
    }
    fonts_.push_back({std::string(inForce.font), std::string(inForce.size),
                      std::string(inForce.show), {}});
    return fonts_.back().runs;
  }
  static bool isFont(const InFont& kept, const FontInForce& inForce) {
    return kept.font == inForce.font && kept.size == inForce.size && kept.show == inForce.show;
  }

  std::vector<InFont> fonts_;
  std::size_t current_ = 0;
  std::size_t count_ = 0;
};

}  // namespace kolvo::paged
