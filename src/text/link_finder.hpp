#pragma once
// Web addresses and e-mail addresses in the user's text, which typed
// output (--escape) makes into links: "https://", "http://", "ftp://" and
// "mailto:" followed by the characters an address may hold, and bare
// addresses such as "name@example.org". An address ends where those
// characters end, at a tag of the markup, and before the punctuation that
// closes a sentence (".", ",", ";", ":", "!", "?", quotes) or a ")" it did
// not open.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kolvo {

struct FoundLink {
  std::size_t begin = 0;  // its bytes in the text: [begin, end)
  std::size_t end = 0;
  bool email = false;  // a bare e-mail address: its target is "mailto:" and the address
};

// The links of `text` in order, into `links` (cleared first). Only ASCII
// is taken into an address, so a link never cuts a character in two.
void findLinks(std::string_view text, std::vector<FoundLink>& links);

// Whether `text` may hold a link at all: a quick look that never misses
// one ("//" or "@"), for a whole document or a line.
bool mayHoldLinks(std::string_view text);

// Where `link` of `text` leads.
std::string linkTarget(std::string_view text, const FoundLink& link);

}  // namespace kolvo
