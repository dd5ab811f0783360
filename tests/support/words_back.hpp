#pragma once
// How much of a typed text a reader gives back: its words (pdftotext's
// text of a PDF made from typed LaTeX), each as often as it was typed.

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/latex_scripts.hpp"
#include "text/typed_text.hpp"

namespace kolvo::test {

// The Greek letters with oxia and the same letters with tonos, which
// Unicode holds equal (the manual pages type the first, pdftotext gives
// back the second).
inline constexpr std::pair<char32_t, std::string_view> kOxia[] = {
    {0x1F71, "\u03AC"}, {0x1F73, "\u03AD"}, {0x1F75, "\u03AE"}, {0x1F77, "\u03AF"},
    {0x1F79, "\u03CC"}, {0x1F7B, "\u03CD"}, {0x1F7D, "\u03CE"}, {0x1FBB, "\u0386"},
    {0x1FC9, "\u0388"}, {0x1FCB, "\u0389"}, {0x1FDB, "\u038A"}, {0x1FF9, "\u038C"},
    {0x1FEB, "\u038E"}, {0x1FFB, "\u038F"}, {0x1FD3, "\u0390"}, {0x1FE3, "\u03B0"},
    {0xB5, "\u03BC"},  // the micro sign that LGR's mu comes back as
};

// The direction marks and embeddings pdftotext puts round right-to-left
// text, which the typed text does not hold.
inline bool isBidiControl(char32_t cp) {
  return cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

inline std::string_view tonosOf(char32_t cp) {
  for (const auto& [oxia, tonos] : kOxia) {
    if (oxia == cp) return tonos;
  }
  return {};
}

// The words of `text` in order: a hyphen at a line's end (LaTeX's
// hyphenation) joins the two parts, and every CJK character, which text
// of those scripts puts no blank between, is a word of its own.
inline std::vector<std::string> wordsOf(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  const auto endWord = [&] {
    if (!word.empty()) words.push_back(word);
    word.clear();
  };
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t start = at;
    const char32_t cp = nextCodePoint(text, at);
    if (cp == '-' && text.find_first_not_of(" \t\r", at) < text.size() &&
        text[text.find_first_not_of(" \t\r", at)] == '\n') {
      at = text.find_first_not_of(" \t\r\n", at);
      if (at == std::string_view::npos) at = text.size();
    } else if (cp == ' ' || cp == '\t' || cp == '\r' || cp == '\n' || cp == '\f') {
      endWord();
    } else if (isBidiControl(cp)) {
    } else if (latexScriptOf(cp) == LatexScript::Cjk) {
      endWord();
      words.emplace_back(text.substr(start, at - start));
    } else if (const std::string_view tonos = tonosOf(cp); !tonos.empty()) {
      word += tonos;
    } else {
      word.append(text.substr(start, at - start));
    }
  }
  endWord();
  return words;
}

// The share of the words of `typed` that come back in `shown`, each as
// often as it was typed.
inline double wordsBack(std::string_view typed, std::string_view shown) {
  std::map<std::string, int> available;
  for (const std::string& word : wordsOf(shown)) ++available[word];
  const std::vector<std::string> wanted = wordsOf(typed);
  std::size_t found = 0;
  for (const std::string& word : wanted) {
    auto it = available.find(word);
    if (it != available.end() && it->second > 0) {
      --it->second;
      ++found;
    }
  }
  return wanted.empty() ? 1.0 : static_cast<double>(found) / static_cast<double>(wanted.size());
}

// The characters of `text` but blanks and the bidi marks pdftotext adds,
// counted.
inline std::map<char32_t, std::size_t> characterCounts(std::string_view text) {
  std::map<char32_t, std::size_t> counts;
  for (std::size_t at = 0; at < text.size();) {
    const char32_t c = nextCodePoint(text, at);
    if (c <= U' ' || isBidiControl(c)) continue;
    ++counts[c];
  }
  return counts;
}

// The share of the characters of `typed` (blanks and direction marks left
// out) that come back in `shown`, each as often as it was typed: for the
// scripts whose marks pdftotext may give back in another order within a word.
inline double charactersBack(std::string_view typed, std::string_view shown) {
  const std::map<char32_t, std::size_t> wanted = characterCounts(typed);
  std::map<char32_t, std::size_t> got = characterCounts(shown);
  std::size_t total = 0;
  std::size_t found = 0;
  for (const auto& [c, n] : wanted) {
    total += n;
    found += std::min(n, got[c]);
  }
  return total == 0 ? 1.0 : static_cast<double>(found) / static_cast<double>(total);
}

// How many words of `typed` come back in `shown` in their order: the
// longest sequence of words that both hold in the same order (a word
// found but out of place, split in two or joined to its neighbour does
// not count). Words as wordsOf takes them, direction marks left out.
inline std::size_t wordsInOrder(std::string_view typed, std::string_view shown) {
  std::map<std::string, int> ids;
  const auto numbered = [&](std::string_view text) {
    std::vector<int> sequence;
    for (const std::string& word : wordsOf(text)) sequence.push_back(ids.emplace(word, static_cast<int>(ids.size())).first->second);
    return sequence;
  };
  const std::vector<int> a = numbered(typed);
  const std::vector<int> b = numbered(shown);
  std::vector<std::size_t> row(b.size() + 1, 0);
  for (const int word : a) {
    std::size_t diagonal = 0;  // the row before's value at j - 1
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = word == b[j - 1] ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = above;
    }
  }
  return row.back();
}

}  // namespace kolvo::test
