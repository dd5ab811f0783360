#pragma once
// What the Unicode line breaking rules say of the place before a character
// of a line, as the fallback fonts' module answers and the line layout
// follows it.

namespace kolvo {

// Allowed: a line may end there. LastResort: only where a word is longer
// than the line, for the rules forbid it (before closing punctuation,
// after opening punctuation, inside a Thai word). Never: inside a grapheme
// cluster (a letter and its marks, a shaped syllable), which no line cuts.
enum class BreakBefore : unsigned char { Never, LastResort, Allowed };

}  // namespace kolvo
