// The number corpus file: range texts with the double that glibc's strtod_l
// reads from each in the "C" locale (tests/sequencer/CReading.h).
// MakeNumberCorpus writes it on Linux; the Windows test program reads it
// under Wine and compares its own readings bit for bit. Both ends are
// x86-64, so the numbers are stored in that machine's (little-endian) byte
// order: the magic "VNC1", then per text its length (4 bytes), its bytes
// and the double's bits (8 bytes).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tests {

struct CorpusEntry {
    std::string text;
    std::uint64_t doubleBits;
};

constexpr char kCorpusMagic[4] = {'V', 'N', 'C', '1'};

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

inline File OpenFile(const std::string& path, const char* mode) {
    return File(std::fopen(path.c_str(), mode), &std::fclose);
}

template <typename Value>
bool WriteValue(std::FILE* file, const Value& value) {
    return std::fwrite(&value, sizeof value, 1, file) == 1;
}

template <typename Value>
bool ReadValue(std::FILE* file, Value& value) {
    return std::fread(&value, sizeof value, 1, file) == 1;
}

// Writes `entries` to `path`; false when the file cannot be written whole.
inline bool WriteCorpus(const std::string& path, const std::vector<CorpusEntry>& entries) {
    const File file = OpenFile(path, "wb");
    if (!file || !WriteValue(file.get(), kCorpusMagic)) return false;
    for (const CorpusEntry& entry : entries) {
        const auto length = static_cast<std::uint32_t>(entry.text.size());
        if (!WriteValue(file.get(), length) ||
            std::fwrite(entry.text.data(), 1, length, file.get()) != length ||
            !WriteValue(file.get(), entry.doubleBits)) {
            return false;
        }
    }
    return std::fflush(file.get()) == 0;
}

// Reads the corpus at `path` into `entries`. On failure returns false and
// says why in `error`.
inline bool ReadCorpus(const std::string& path, std::vector<CorpusEntry>& entries,
                       std::string& error) {
    const File file = OpenFile(path, "rb");
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    char magic[sizeof kCorpusMagic];
    if (!ReadValue(file.get(), magic) || std::memcmp(magic, kCorpusMagic, sizeof magic) != 0) {
        error = path + " is no number corpus (no VNC1 at its start)";
        return false;
    }
    std::uint32_t length = 0;
    while (ReadValue(file.get(), length)) {
        CorpusEntry entry{std::string(length, '\0'), 0};
        if (std::fread(&entry.text[0], 1, length, file.get()) != length ||
            !ReadValue(file.get(), entry.doubleBits)) {
            error = path + " ends inside text " + std::to_string(entries.size() + 1);
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

}  // namespace tests
