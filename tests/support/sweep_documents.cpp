#include "support/sweep_documents.hpp"

namespace kolvo::test {
namespace {

LineMix plainLines() {
  LineMix mix;
  mix.words = 20;
  mix.blanks = 12;
  mix.tags = 30;
  mix.prose = 20;
  mix.punctuation = 8;
  mix.nearMisses = mix.delimiters = 0;
  return mix;
}

LineMix mixedLines() {
  LineMix mix = plainLines();
  mix.nearMisses = 8;
  mix.tagFragments = 6;
  mix.delimiters = 8;
  mix.rawMarkup = 4;
  mix.groupMarks = 4;
  mix.lineEnds = 2;
  mix.otherBytes = 3;
  return mix;
}

}  // namespace

SweepDocument sweepDocument(std::uint64_t seed, std::uint64_t index) {
  DocumentGenerator generator(Random(seed).next() + index);
  const bool plain = generator.random().percent(25);
  DocumentMix mix;
  mix.line = plain ? plainLines() : mixedLines();
  mix.line.nestedElementTags = generator.random().percent(50);
  mix.line.pairedStyleTags = plain;  // so that LaTeX's groups balance
  mix.line.maxPieces = 6 + generator.random().below(20);
  if (plain) {
    mix.drawingPercent = 0;  // "$s" is LaTeX's mathematics
    mix.longLinePercent = 0;  // a cut may split a tag, leaving a "%"
  }
  return {generator.document(mix), plain};
}

}  // namespace kolvo::test
