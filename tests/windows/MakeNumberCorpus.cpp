// Writes the number corpus that the Windows test program reads
// (NumberCorpus.h): seeded random range texts and the texts at the edges of
// float and double (tests/sequencer/RangeTexts.h), each with the double
// that glibc's strtod_l reads from it in the "C" locale (as corrected in
// tests/sequencer/CReading.h). A Linux program:
// tools/check.d/45-windows-tests.sh builds and runs it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "CReading.h"
#include "NumberCorpus.h"
#include "NumberForms.h"
#include "RangeTexts.h"

namespace {

using tests::CorpusEntry;

// Not the seeds of the Linux number reader test, so that the corpus holds
// texts that test has not read.
constexpr std::uint64_t kRandomSeed = 0x3a1c5e07;
constexpr std::uint64_t kEdgeSeed = 0x3a1c5e08;
constexpr int kRandomTexts = 24000;

std::vector<std::string> CorpusTexts() {
    std::vector<std::string> texts;
    tests::RangeTextMaker maker(kRandomSeed);
    for (int i = 0; i < kRandomTexts; ++i) texts.push_back(maker.Make());
    for (std::string& text : tests::EdgeTexts(kEdgeSeed)) texts.push_back(std::move(text));
    return texts;
}

// Each text with the C library's reading of it (CReading.h).
std::vector<CorpusEntry> ReadWithGlibc(const std::vector<std::string>& texts) {
    const tests::CReader cLibrary;
    std::vector<CorpusEntry> entries;
    entries.reserve(texts.size());
    for (const std::string& text : texts) {
        entries.push_back({text, tests::DoubleBits(cLibrary.Read(text.c_str()))});
    }
    return entries;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus file to write>\n", argv[0]);
        return 2;
    }
    const std::vector<CorpusEntry> entries = ReadWithGlibc(CorpusTexts());
    if (!tests::WriteCorpus(argv[1], entries)) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("wrote %zu texts to %s\n", entries.size(), argv[1]);
    return 0;
}
