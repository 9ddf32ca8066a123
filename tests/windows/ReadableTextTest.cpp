// The readability test of a host's text address on Windows (IsBadReadPtr
// under platform::IsReadableText), against pages from VirtualAlloc: null,
// no-access and reserved pages, and texts placed so that they end at, or run
// into, a PAGE_NOACCESS page. The Linux tests do the same with PROT_NONE
// pages through the plug-ins (tests/hardening/TextAddressTest.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <ostream>

#include "OscCommand.h"
#include "Platform.h"

namespace {

using sequencer::kMaxCommandLength;

// Two committed read-write pages followed by one PAGE_NOACCESS page.
class GuardedPages {
public:
    GuardedPages() : pageBytes(PageSize()) {
        void* const base =
            VirtualAlloc(nullptr, 3 * pageBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (base == nullptr) return;
        firstPage = static_cast<char*>(base);
        DWORD previous = 0;
        if (!VirtualProtect(Unreadable(), pageBytes, PAGE_NOACCESS, &previous)) Free();
    }
    ~GuardedPages() { Free(); }
    GuardedPages(const GuardedPages&) = delete;
    GuardedPages& operator=(const GuardedPages&) = delete;

    bool Mapped() const { return firstPage != nullptr; }
    char* Unreadable() const { return firstPage + 2 * pageBytes; }
    std::size_t Size() const { return pageBytes; }

private:
    static std::size_t PageSize() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return info.dwPageSize;
    }
    void Free() {
        if (firstPage != nullptr) VirtualFree(firstPage, 0, MEM_RELEASE);
        firstPage = nullptr;
    }

    std::size_t pageBytes;
    char* firstPage = nullptr;
};

// One page of address space reserved but never committed: no access.
class ReservedPage {
public:
    ReservedPage() : firstPage(VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS)) {}
    ~ReservedPage() {
        if (firstPage != nullptr) VirtualFree(firstPage, 0, MEM_RELEASE);
    }
    ReservedPage(const ReservedPage&) = delete;
    ReservedPage& operator=(const ReservedPage&) = delete;

    const char* Address() const { return static_cast<const char*>(firstPage); }

private:
    void* firstPage;
};

class ReadableText : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pages.Mapped()) << "VirtualAlloc or VirtualProtect failed";
        ASSERT_EQ(pages.Size(), 4096u) << "the cases below are written for 4 KiB pages";
    }

    GuardedPages pages;
};

TEST_F(ReadableText, UnreadableAddressesAreNotReadable) {
    ReservedPage reserved;
    ASSERT_NE(reserved.Address(), nullptr);
    const struct {
        const char* what;
        const char* address;
    } cases[] = {
        {"null", nullptr},
        {"start of a PAGE_NOACCESS page", pages.Unreadable()},
        {"inside a PAGE_NOACCESS page", pages.Unreadable() + 100},
        {"last byte of a PAGE_NOACCESS page", pages.Unreadable() + pages.Size() - 1},
        {"a reserved, uncommitted page", reserved.Address()},
    };
    for (const auto& unreadable : cases) {
        EXPECT_FALSE(platform::IsReadableByte(unreadable.address)) << unreadable.what;
        EXPECT_FALSE(platform::IsReadableText(unreadable.address, kMaxCommandLength))
            << unreadable.what;
    }
}

// A text placed right before the PAGE_NOACCESS page: `characters` non-zero
// bytes, then, when `gap` is not 0, a terminator and gap - 1 more readable
// bytes before that page. With `gap` 0 the characters run, unterminated,
// into the page.
struct PlacedText {
    std::size_t characters;
    std::size_t gap;
    // True when a reader that stops at the terminator or after 2047
    // characters stays before the page.
    bool readable;
};

void PrintTo(const PlacedText& text, std::ostream* out) {
    *out << text.characters << " characters, ";
    if (text.gap == 0) {
        *out << "unterminated up to the no-access page";
    } else {
        *out << "terminated " << text.gap << " bytes before the no-access page";
    }
}

// The command holds 2047 characters, which is how far the plug-in reads.
static_assert(kMaxCommandLength == 2047, "the table below is written for 2047 characters");

const PlacedText kPlacedTexts[] = {
    // Unterminated: readable only when the 2047 characters a reader takes
    // all lie before the page.
    {1, 0, false},
    {100, 0, false},
    {2046, 0, false},
    {2047, 0, true},
    {2048, 0, true},
    {4096, 0, true},  // starts on a page boundary
    {4097, 0, true},  // crosses from the first readable page into the second
    {6000, 0, true},
    // Terminated on the last readable byte.
    {0, 1, true},
    {5, 1, true},
    {2046, 1, true},
    {2047, 1, true},
    {2048, 1, true},
    {4096, 1, true},
    // Texts of 2047, 2048 and 4096 characters further from the page.
    {2047, 100, true},
    {2047, 2049, true},  // starts on a page boundary
    {2048, 2048, true},  // starts on a page boundary
    {2048, 3000, true},
    {4096, 4096, true},  // fills the first readable page, terminated at the second's start
    {100, 3000, true},
};

class PlacedTexts : public ReadableText, public ::testing::WithParamInterface<PlacedText> {
protected:
    // Writes the text before the no-access page and returns its start.
    const char* Place(const PlacedText& text) {
        char* const start = pages.Unreadable() - text.characters - text.gap;
        std::memset(start, 'a', text.characters + text.gap);
        start[0] = '/';
        if (text.gap != 0) start[text.characters] = '\0';
        return start;
    }
};

TEST_P(PlacedTexts, AreReadableWhenTheReaderStopsBeforeTheNoAccessPage) {
    const PlacedText& text = GetParam();
    EXPECT_EQ(platform::IsReadableText(Place(text), kMaxCommandLength), text.readable);
}

INSTANTIATE_TEST_SUITE_P(Table, PlacedTexts, ::testing::ValuesIn(kPlacedTexts));

}  // namespace
