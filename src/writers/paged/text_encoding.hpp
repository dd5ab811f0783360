#pragma once
// The encodings of the fonts that show typed text in PostScript and PDF.
//
// Times-Roman, Times-Bold, Times-Italic and Courier are re-encoded with
// WinAnsiEncoding plus a few differences: the codes that the tag table
// already writes for these fonts keep the glyphs they have in the fonts'
// standard encoding (39 quoteright, 96 quoteleft, 178 dagger, 179
// daggerdbl, 183 bullet), and the WinAnsi glyphs they push out
// move to codes WinAnsi leaves free. The typed apostrophe and grave accent
// are shown as themselves (quotesingle, grave) through two more free codes,
// since their own codes stay the tags' curly quotes. The Symbol font keeps its own encoding;
// it shows the Greek letters and the mathematical signs.
//
// kTextEncoding is the one source of the re-encoding: the escaper's
// Unicode lookup, the PostScript encoding vector, the PDF /Differences and
// the width tables all come from it.

#include <array>
#include <string_view>

namespace kolvo::paged {

struct EncodedGlyph {
  unsigned char code;
  std::string_view glyph;  // PostScript glyph name
  char32_t unicode;        // the character this code shows
  bool differs;            // not WinAnsi's glyph at this code: a /Differences entry
};

// Every code the re-encoding changes from StandardEncoding, in code order:
// the two ASCII codes whose glyphs differ between StandardEncoding and
// WinAnsi, and the upper half. ASCII text keeps StandardEncoding's glyphs,
// so typed "'" and "`" look as they do without the re-encoding.
inline constexpr auto kTextEncoding = std::to_array<EncodedGlyph>({
    {39, "quoteright", 0x2019, true},
    {96, "quoteleft", 0x2018, true},
    {128, "Euro", 0x20AC, false},
    {129, "periodcentered", 0x00B7, true},  // pushed out of 183
    {130, "quotesinglbase", 0x201A, false},
    {131, "florin", 0x0192, false},
    {132, "quotedblbase", 0x201E, false},
    {133, "ellipsis", 0x2026, false},
    {134, "dagger", 0x2020, false},
    {135, "daggerdbl", 0x2021, false},
    {136, "circumflex", 0x02C6, false},
    {137, "perthousand", 0x2030, false},
    {138, "Scaron", 0x0160, false},
    {139, "guilsinglleft", 0x2039, false},
    {140, "OE", 0x0152, false},
    {141, "twosuperior", 0x00B2, true},     // pushed out of 178
    {142, "Zcaron", 0x017D, false},
    {143, "threesuperior", 0x00B3, true},   // pushed out of 179
    {144, "quotesingle", 0x0027, true},     // typed "'"; 39 stays quoteright
    {145, "quoteleft", 0x2018, false},
    {146, "quoteright", 0x2019, false},
    {147, "quotedblleft", 0x201C, false},
    {148, "quotedblright", 0x201D, false},
    {149, "bullet", 0x2022, false},
    {150, "endash", 0x2013, false},
    {151, "emdash", 0x2014, false},
    {152, "tilde", 0x02DC, false},
    {153, "trademark", 0x2122, false},
    {154, "scaron", 0x0161, false},
    {155, "guilsinglright", 0x203A, false},
    {156, "oe", 0x0153, false},
    {157, "grave", 0x0060, true},           // typed "`"; 96 stays quoteleft
    {158, "zcaron", 0x017E, false},
    {159, "Ydieresis", 0x0178, false},
    {160, "space", 0x00A0, false},
    {161, "exclamdown", 0x00A1, false},
    {162, "cent", 0x00A2, false},
    {163, "sterling", 0x00A3, false},
    {164, "currency", 0x00A4, false},
    {165, "yen", 0x00A5, false},
    {166, "brokenbar", 0x00A6, false},
    {167, "section", 0x00A7, false},
    {168, "dieresis", 0x00A8, false},
    {169, "copyright", 0x00A9, false},
    {170, "ordfeminine", 0x00AA, false},
    {171, "guillemotleft", 0x00AB, false},
    {172, "logicalnot", 0x00AC, false},
    {173, "hyphen", 0x00AD, false},
    {174, "registered", 0x00AE, false},
    {175, "macron", 0x00AF, false},
    {176, "degree", 0x00B0, false},
    {177, "plusminus", 0x00B1, false},
    {178, "dagger", 0x2020, true},          // the tag table's dagger
    {179, "daggerdbl", 0x2021, true},       // the tag table's double dagger
    {180, "acute", 0x00B4, false},
    {181, "mu", 0x00B5, false},
    {182, "paragraph", 0x00B6, false},
    {183, "bullet", 0x2022, true},          // the tag table's bullet
    {184, "cedilla", 0x00B8, false},
    {185, "onesuperior", 0x00B9, false},
    {186, "ordmasculine", 0x00BA, false},
    {187, "guillemotright", 0x00BB, false},
    {188, "onequarter", 0x00BC, false},
    {189, "onehalf", 0x00BD, false},
    {190, "threequarters", 0x00BE, false},
    {191, "questiondown", 0x00BF, false},
    {192, "Agrave", 0x00C0, false},
    {193, "Aacute", 0x00C1, false},
    {194, "Acircumflex", 0x00C2, false},
    {195, "Atilde", 0x00C3, false},
    {196, "Adieresis", 0x00C4, false},
    {197, "Aring", 0x00C5, false},
    {198, "AE", 0x00C6, false},
    {199, "Ccedilla", 0x00C7, false},
    {200, "Egrave", 0x00C8, false},
    {201, "Eacute", 0x00C9, false},
    {202, "Ecircumflex", 0x00CA, false},
    {203, "Edieresis", 0x00CB, false},
    {204, "Igrave", 0x00CC, false},
    {205, "Iacute", 0x00CD, false},
    {206, "Icircumflex", 0x00CE, false},
    {207, "Idieresis", 0x00CF, false},
    {208, "Eth", 0x00D0, false},
    {209, "Ntilde", 0x00D1, false},
    {210, "Ograve", 0x00D2, false},
    {211, "Oacute", 0x00D3, false},
    {212, "Ocircumflex", 0x00D4, false},
    {213, "Otilde", 0x00D5, false},
    {214, "Odieresis", 0x00D6, false},
    {215, "multiply", 0x00D7, false},
    {216, "Oslash", 0x00D8, false},
    {217, "Ugrave", 0x00D9, false},
    {218, "Uacute", 0x00DA, false},
    {219, "Ucircumflex", 0x00DB, false},
    {220, "Udieresis", 0x00DC, false},
    {221, "Yacute", 0x00DD, false},
    {222, "Thorn", 0x00DE, false},
    {223, "germandbls", 0x00DF, false},
    {224, "agrave", 0x00E0, false},
    {225, "aacute", 0x00E1, false},
    {226, "acircumflex", 0x00E2, false},
    {227, "atilde", 0x00E3, false},
    {228, "adieresis", 0x00E4, false},
    {229, "aring", 0x00E5, false},
    {230, "ae", 0x00E6, false},
    {231, "ccedilla", 0x00E7, false},
    {232, "egrave", 0x00E8, false},
    {233, "eacute", 0x00E9, false},
    {234, "ecircumflex", 0x00EA, false},
    {235, "edieresis", 0x00EB, false},
    {236, "igrave", 0x00EC, false},
    {237, "iacute", 0x00ED, false},
    {238, "icircumflex", 0x00EE, false},
    {239, "idieresis", 0x00EF, false},
    {240, "eth", 0x00F0, false},
    {241, "ntilde", 0x00F1, false},
    {242, "ograve", 0x00F2, false},
    {243, "oacute", 0x00F3, false},
    {244, "ocircumflex", 0x00F4, false},
    {245, "otilde", 0x00F5, false},
    {246, "odieresis", 0x00F6, false},
    {247, "divide", 0x00F7, false},
    {248, "oslash", 0x00F8, false},
    {249, "ugrave", 0x00F9, false},
    {250, "uacute", 0x00FA, false},
    {251, "ucircumflex", 0x00FB, false},
    {252, "udieresis", 0x00FC, false},
    {253, "yacute", 0x00FD, false},
    {254, "thorn", 0x00FE, false},
    {255, "ydieresis", 0x00FF, false},
});

// A character of the Symbol font and its code there.
struct SymbolGlyph {
  char32_t unicode;
  unsigned char code;
};

// The characters shown through the Symbol font, in Unicode order: the Greek
// letters (with the font's variant forms) as the Greek tags draw them, and
// the signs WinAnsi lacks.
inline constexpr auto kSymbolGlyphs = std::to_array<SymbolGlyph>({
    {0x0391, 'A'}, {0x0392, 'B'}, {0x0393, 'G'}, {0x0394, 'D'}, {0x0395, 'E'},
    {0x0396, 'Z'}, {0x0397, 'H'}, {0x0398, 'Q'}, {0x0399, 'I'}, {0x039A, 'K'},
    {0x039B, 'L'}, {0x039C, 'M'}, {0x039D, 'N'}, {0x039E, 'X'}, {0x039F, 'O'},
    {0x03A0, 'P'}, {0x03A1, 'R'}, {0x03A3, 'S'}, {0x03A4, 'T'}, {0x03A5, 'U'},
    {0x03A6, 'F'}, {0x03A7, 'C'}, {0x03A8, 'Y'}, {0x03A9, 'W'},
    {0x03B1, 'a'}, {0x03B2, 'b'}, {0x03B3, 'g'}, {0x03B4, 'd'}, {0x03B5, 'e'},
    {0x03B6, 'z'}, {0x03B7, 'h'}, {0x03B8, 'q'}, {0x03B9, 'i'}, {0x03BA, 'k'},
    {0x03BB, 'l'}, {0x03BC, 'm'}, {0x03BD, 'n'}, {0x03BE, 'x'}, {0x03BF, 'o'},
    {0x03C0, 'p'}, {0x03C1, 'r'}, {0x03C2, 'V'}, {0x03C3, 's'}, {0x03C4, 't'},
    {0x03C5, 'u'}, {0x03C6, 'f'}, {0x03C7, 'c'}, {0x03C8, 'y'}, {0x03C9, 'w'},
    {0x03D1, 'J'},   // theta symbol
    {0x03D2, 0xA1},  // upsilon with hook
    {0x03D5, 'j'},   // phi symbol
    {0x03D6, 'v'},   // pi symbol
    {0x2032, 0xA2},  // prime
    {0x2033, 0xB2},  // double prime
    {0x2044, 0xA4},  // fraction slash
    {0x2111, 0xC1},  // black-letter I
    {0x2118, 0xC3},  // script P
    {0x211C, 0xC2},  // black-letter R
    {0x2126, 'W'},   // ohm sign
    {0x2135, 0xC0},  // alef
    {0x2190, 0xAC}, {0x2191, 0xAD}, {0x2192, 0xAE}, {0x2193, 0xAF}, {0x2194, 0xAB},
    {0x21B5, 0xBF},  // carriage return arrow
    {0x21D0, 0xDC}, {0x21D1, 0xDD}, {0x21D2, 0xDE}, {0x21D3, 0xDF}, {0x21D4, 0xDB},
    {0x2200, '"'},   // for all
    {0x2202, 0xB6},  // partial differential
    {0x2203, '$'},   // there exists
    {0x2205, 0xC6},  // empty set
    {0x2206, 'D'},   // increment
    {0x2207, 0xD1},  // nabla
    {0x2208, 0xCE}, {0x2209, 0xCF},
    {0x220B, '\''},  // contains as member
    {0x220F, 0xD5},  // product
    {0x2211, 0xE5},  // summation
    {0x2212, '-'},   // minus
    {0x2217, '*'},   // asterisk operator
    {0x221A, 0xD6},  // square root
    {0x221D, 0xB5},  // proportional to
    {0x221E, 0xA5},  // infinity
    {0x2220, 0xD0},  // angle
    {0x2227, 0xD9}, {0x2228, 0xDA}, {0x2229, 0xC7}, {0x222A, 0xC8},
    {0x222B, 0xF2},  // integral
    {0x2234, '\\'},  // therefore
    {0x223C, '~'},   // tilde operator
    {0x2245, '@'},   // approximately equal to
    {0x2248, 0xBB},  // almost equal to
    {0x2260, 0xB9}, {0x2261, 0xBA}, {0x2264, 0xA3}, {0x2265, 0xB3},
    {0x2282, 0xCC}, {0x2283, 0xC9}, {0x2284, 0xCB}, {0x2286, 0xCD}, {0x2287, 0xCA},
    {0x2295, 0xC5}, {0x2297, 0xC4},
    {0x22A5, '^'},   // up tack
    {0x22C5, 0xD7},  // dot operator
    {0x2320, 0xF3}, {0x2321, 0xF5},  // integral halves
    {0x2329, 0xE1}, {0x232A, 0xF1},  // angle brackets (old code points)
    {0x25CA, 0xE0},  // lozenge
    {0x2660, 0xAA}, {0x2663, 0xA7}, {0x2665, 0xA9}, {0x2666, 0xA8},
    {0x27E8, 0xE1}, {0x27E9, 0xF1},  // mathematical angle brackets
});

}  // namespace kolvo::paged
