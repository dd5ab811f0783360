// Micro-benchmarks: replaceTag alone, one line's whole rewrite (string
// escape, tag rows, clean-ups) in each format, for a line without tags, one
// with three and one with twenty, and a block of plain prose lines. The
// reference path runs beside the fast one for comparison. Also the decoding
// of a line and its XML character data, for a plain line of 80 bytes (the
// common case that must cost little) and for lines that need work, and the
// check that lets a plain line skip both.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "markup/replace_tag.hpp"
#include "pipeline/line_rewrite.hpp"
#include "text/text_decoding.hpp"
#include "pipeline/text_step_check.hpp"
#include "text/xml_text.hpp"
#include "pipeline/line_rewrite.hpp"

namespace {

using kolvo::Format;
using kolvo::LineMarks;

constexpr std::string_view kPlainLine =
    "The letter was carried to the station by seven in the morning\n";
constexpr std::string_view kThreeTags =
    "The %bsletter%be was carried to the station %g1 by seven\n";
constexpr std::string_view kTwentyTags =
    "%csThe %bsletter%be %isw%ie %usas%ue %hscarried%he %g1 to %P1the%Pe %ssst%se "
    "%Bsby%Be %xsseven%xe in %ps the morning%ce\n";

void replaceTagNoMatch(benchmark::State& run) {
  LineMarks state;
  for (auto _ : run) {
    benchmark::DoNotOptimize(kolvo::replaceTag(kPlainLine, "%bs", "<b>", state, Format::Html));
  }
}
BENCHMARK(replaceTagNoMatch);

void replaceTagOneMatch(benchmark::State& run) {
  LineMarks state;
  for (auto _ : run) {
    benchmark::DoNotOptimize(kolvo::replaceTag(kThreeTags, "%bs", "<b>", state, Format::Html));
  }
}
BENCHMARK(replaceTagOneMatch);

void replaceTagIntoOneMatch(benchmark::State& run) {
  LineMarks state;
  std::string out;
  for (auto _ : run) {
    kolvo::replaceTagInto(out, kThreeTags, "%bs", "<b>", state, Format::Html);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(replaceTagIntoOneMatch);

void replaceTagPdfMeasure(benchmark::State& run) {
  LineMarks state;
  for (auto _ : run) {
    state.underline = 0;
    benchmark::DoNotOptimize(
        kolvo::replaceTag("Hello %usworld%ue\n", "%us", "_", state, Format::Pdf));
  }
}
BENCHMARK(replaceTagPdfMeasure);

// One line's rewrite, fast path, with the buffers a line loop keeps.
void rewriteFast(benchmark::State& run, Format format, std::string_view text) {
  std::string line;
  std::string scratch;
  for (auto _ : run) {
    LineMarks state;
    line.assign(text);
    kolvo::rewriteLine(line, scratch, format, state);
    benchmark::DoNotOptimize(line.data());
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(text.size()));
}

void rewriteReference(benchmark::State& run, Format format, std::string_view text) {
  std::string line;
  for (auto _ : run) {
    LineMarks state;
    line.assign(text);
    kolvo::rewriteLineReference(line, format, state);
    benchmark::DoNotOptimize(line.data());
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(text.size()));
}

// Plain prose in lines of about 60 bytes, the same every run: most of a
// document looks like this.
std::vector<std::string> proseLines() {
  constexpr std::string_view kWords[] = {"the",    "letter", "was",     "carried", "to",
                                         "station", "by",    "seven",   "in",      "morning",
                                         "river",  "of",     "garden",  "quietly", "and"};
  std::vector<std::string> lines(1000);
  std::uint32_t random = 12345;
  for (std::string& line : lines) {
    while (line.size() < 55) {
      random = random * 1103515245u + 12345u;
      line += kWords[(random >> 16) % std::size(kWords)];
      line += ' ';
    }
    line.back() = '\n';
  }
  return lines;
}

// The block rewritten line by line, with the buffers a line loop keeps;
// `rewrite` is the fast or the reference path.
template <typename Rewrite>
void rewriteProse(benchmark::State& run, Format format, Rewrite rewrite) {
  const std::vector<std::string> lines = proseLines();
  std::int64_t bytes = 0;
  for (const std::string& text : lines) bytes += static_cast<std::int64_t>(text.size());
  std::string line;
  std::string scratch;
  for (auto _ : run) {
    LineMarks state;
    for (const std::string& text : lines) {
      line.assign(text);
      rewrite(line, scratch, format, state);
      benchmark::DoNotOptimize(line.data());
    }
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) * bytes);
}

void rewriteProseFast(benchmark::State& run, Format format, kolvo::TextMode mode) {
  kolvo::EscapeStats stats;
  rewriteProse(run, format, [&](std::string& line, std::string& scratch, Format f,
                                LineMarks& state) {
    kolvo::rewriteLine(line, scratch, f, state, mode, stats);
  });
}

void rewriteProseReference(benchmark::State& run, Format format) {
  rewriteProse(run, format, [](std::string& line, std::string&, Format f, LineMarks& state) {
    kolvo::rewriteLineReference(line, f, state);
  });
}

constexpr std::string_view kPlain80 =
    "The letter was carried to the station by seven in the morning, and read at noon\n";
constexpr std::string_view kLatin1Line =
    "Le caf\xE9 \xE9tait ferm\xE9, la lettre arriva \xE0 midi, \xAB enfin \xBB dit-il.\n";
constexpr std::string_view kMarkupLine =
    "AT&T says 3 < 4; see <b>this</b> &amp; <a href='?p=1&q=2'>that</a> <i>then\n";

// One line through a text step, with the buffer a line loop keeps.
using TextStep = bool (*)(std::string_view, std::string&);
void textStep(benchmark::State& run, TextStep step, std::string_view text) {
  std::string out;
  for (auto _ : run) {
    benchmark::DoNotOptimize(step(text, out));
    benchmark::DoNotOptimize(out.data());
  }
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(textStep, decodeText/plain80, kolvo::decodeText, kPlain80);
BENCHMARK_CAPTURE(textStep, decodeText/latin1, kolvo::decodeText, kLatin1Line);
bool keepXml(std::string_view in, std::string& out) { return kolvo::keepWellFormedXml(in, out); }
BENCHMARK_CAPTURE(textStep, keepWellFormedXml/plain80, keepXml, kPlain80);
BENCHMARK_CAPTURE(textStep, keepWellFormedXml/markup, keepXml, kMarkupLine);
BENCHMARK_CAPTURE(textStep, escapeXmlText/plain80, kolvo::escapeXmlText, kPlain80);

// The check that lets a line skip its text step, on a line that passes it.
void textStepCheck(benchmark::State& run, kolvo::TextStep step, std::string_view text) {
  for (auto _ : run) benchmark::DoNotOptimize(kolvo::textStepMayChange(text, step));
  run.SetBytesProcessed(static_cast<std::int64_t>(run.iterations()) *
                        static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(textStepCheck, xmlText/plain80, kolvo::TextStep::XmlText, kPlain80);
BENCHMARK_CAPTURE(textStepCheck, latex/plain80, kolvo::TextStep::Latex, kPlain80);

}  // namespace

int main(int argc, char** argv) {
  struct Line {
    std::string_view name;
    std::string_view text;
  };
  const Line lines[] = {{"plain", kPlainLine}, {"3tags", kThreeTags}, {"20tags", kTwentyTags}};
  for (Format format : kolvo::kAllFormats) {
    for (const Line& line : lines) {
      const std::string suffix =
          std::string(kolvo::formatExtension(format)) + "/" + std::string(line.name);
      benchmark::RegisterBenchmark(("rewriteLine/" + suffix).c_str(), rewriteFast, format,
                                   line.text);
      benchmark::RegisterBenchmark(("rewriteLineReference/" + suffix).c_str(), rewriteReference,
                                   format, line.text);
    }
    const std::string prose = std::string(kolvo::formatExtension(format)) + "/prose1000";
    benchmark::RegisterBenchmark(("rewriteLine/" + prose).c_str(), rewriteProseFast, format,
                                 kolvo::TextMode::Markup);
    benchmark::RegisterBenchmark(("rewriteLine/typed/" + prose).c_str(), rewriteProseFast, format,
                                 kolvo::TextMode::Typed);
    benchmark::RegisterBenchmark(("rewriteLineReference/" + prose).c_str(),
                                 rewriteProseReference, format);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
