// Writes the documents of the reader sweep: kolvo_sweep_documents SEED
// COUNT FOLDER makes FOLDER/NNNNN-plain.txt and FOLDER/NNNNN-mixed.txt
// (see sweep_documents.hpp); FIRST, a fourth word, starts at that index.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "support/sweep_documents.hpp"

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::cerr << "usage: kolvo_sweep_documents SEED COUNT FOLDER [FIRST]\n";
    return 2;
  }
  try {
    const std::uint64_t seed = std::stoull(argv[1]);
    const std::uint64_t count = std::stoull(argv[2]);
    const std::filesystem::path folder = argv[3];
    const std::uint64_t first = argc == 5 ? std::stoull(argv[4]) : 0;
    std::filesystem::create_directories(folder);
    for (std::uint64_t i = first; i < first + count; ++i) {
      const kolvo::test::SweepDocument doc = kolvo::test::sweepDocument(seed, i);
      char name[40];
      std::snprintf(name, sizeof name, "%05llu-%s.txt", static_cast<unsigned long long>(i),
                    doc.plain ? "plain" : "mixed");
      std::ofstream out(folder / name, std::ios::binary);
      out << doc.text;
      if (!out.flush()) throw std::runtime_error("cannot write " + (folder / name).string());
    }
  } catch (const std::exception& e) {
    std::cerr << "kolvo_sweep_documents: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
