#pragma once
// The shape of a BCP 47 language tag ("en", "de-CH", "sr-Latn-RS",
// "zh-Hant-TW", "en-US-x-twain"), which --lang asks for: subtags of letters
// and digits, each in the place and of the length its kind allows. The
// registry itself is not consulted: a well-formed tag of a language it
// does not list still passes.

#include <string_view>

namespace kolvo {

bool isLanguageTag(std::string_view tag);

}  // namespace kolvo
