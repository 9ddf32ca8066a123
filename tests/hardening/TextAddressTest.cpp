// The "OSC command" text address as a careless host may pass it: null, on
// a page that cannot be read, longer than the command holds, or with no
// terminator before an unreadable page. None of them faults; the command
// stays terminated and is cut at 2047 characters.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "PluginHost.h"
#include "Plugins.h"
#include "UdpReceiver.h"

namespace {

using hostkit::PluginInstance;
using hostkit::PluginLibrary;

constexpr std::size_t kLongestCommand = 2047;

// Two readable pages followed by one mapped PROT_NONE.
class GuardedPages {
public:
    GuardedPages() : pageBytes(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
        void* const base = mmap(nullptr, 3 * pageBytes, PROT_READ | PROT_WRITE,
                                MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) return;
        firstPage = static_cast<char*>(base);
        if (mprotect(Unreadable(), pageBytes, PROT_NONE) != 0) Unmap();
    }
    ~GuardedPages() { Unmap(); }
    GuardedPages(const GuardedPages&) = delete;
    GuardedPages& operator=(const GuardedPages&) = delete;

    bool Mapped() const { return firstPage != nullptr; }
    char* Unreadable() const { return firstPage + 2 * pageBytes; }
    std::size_t PageSize() const { return pageBytes; }

private:
    void Unmap() {
        if (firstPage != nullptr) munmap(firstPage, 3 * pageBytes);
        firstPage = nullptr;
    }
    std::size_t pageBytes;
    char* firstPage = nullptr;
};

class TextAddressTest : public ::testing::TestWithParam<tests::Variant> {
protected:
    void SetUp() override {
        std::string error;
        library = PluginLibrary::Load(GetParam().path, &error);
        ASSERT_TRUE(library) << error;
        ASSERT_TRUE(pages.Mapped());
        instance = std::make_unique<PluginInstance>(*library);
        ASSERT_TRUE(instance->Valid());
    }
    void TearDown() override {
        instance.reset();
        if (library) library->Call(ffgl::kDeinitialise);
    }

    std::string Command() const { return instance->GetText(0); }

    std::unique_ptr<PluginLibrary> library;
    std::unique_ptr<PluginInstance> instance;
    GuardedPages pages;
};

TEST_P(TextAddressTest, UnreadableAddressesAreIgnoredWithSuccess) {
    ASSERT_EQ(instance->Set(0, "/kept f[0:2]"), ffgl::kSuccess);
    const struct {
        const char* what;
        const char* address;
    } cases[] = {
        {"null", nullptr},
        {"start of a PROT_NONE page", pages.Unreadable()},
        {"inside a PROT_NONE page", pages.Unreadable() + 100},
        {"last byte of a PROT_NONE page", pages.Unreadable() + pages.PageSize() - 1},
    };
    for (const auto& unreadable : cases) {
        EXPECT_EQ(instance->Set(0, unreadable.address), ffgl::kSuccess) << unreadable.what;
        EXPECT_EQ(Command(), "/kept f[0:2]") << unreadable.what;
    }
}

TEST_P(TextAddressTest, LongCommandsAreCutAndStayTerminated) {
    for (const std::size_t length : {kLongestCommand, kLongestCommand + 1, std::size_t{4096}}) {
        const std::string text = "/" + std::string(length - 1, 'a');
        EXPECT_EQ(instance->Set(0, text.c_str()), ffgl::kSuccess) << length;
        EXPECT_EQ(Command(), text.substr(0, kLongestCommand)) << length;
        instance->Set(0, "/short");
    }
}

// The bytes at the page's end are all the plug-in may read of the text:
// the next byte would fault.
TEST_P(TextAddressTest, UnterminatedTextBeforeAnUnreadablePageIsReadNoFurther) {
    const std::size_t length = kLongestCommand + 1;
    char* const unterminated = pages.Unreadable() - length;
    std::memset(unterminated, 'b', length);
    unterminated[0] = '/';
    EXPECT_EQ(instance->Set(0, unterminated), ffgl::kSuccess);
    EXPECT_EQ(Command(), std::string(unterminated, kLongestCommand));
    // The same text again compares equal without reading further.
    EXPECT_EQ(instance->Set(0, unterminated), ffgl::kSuccess);
    EXPECT_EQ(Command(), std::string(unterminated, kLongestCommand));
    // A terminated text that ends on the page's last byte.
    char* const text = pages.Unreadable() - 6;
    std::memcpy(text, "/edge", 6);
    EXPECT_EQ(instance->Set(0, text), ffgl::kSuccess);
    EXPECT_EQ(Command(), "/edge");
}

// A text that starts readable but runs, unterminated, into an unreadable
// page within the characters the command holds is no text: it is ignored.
TEST_P(TextAddressTest, TextRunningIntoAnUnreadablePageIsIgnored) {
    ASSERT_EQ(instance->Set(0, "/kept"), ffgl::kSuccess);
    for (const std::size_t beforeEnd : {std::size_t{1}, std::size_t{100}, kLongestCommand - 1}) {
        char* const start = pages.Unreadable() - beforeEnd;
        std::memset(start, 'd', beforeEnd);
        EXPECT_EQ(instance->Set(0, start), ffgl::kSuccess) << beforeEnd;
        EXPECT_EQ(Command(), "/kept") << beforeEnd;
    }
}

// The longest address the command holds goes out whole: a 2047-character
// address fills a 2056-byte message (2076 in a bundle).
TEST_P(TextAddressTest, TheLongestAddressIsSentWhole) {
    tests::UdpReceiver receiver{7000};
    ASSERT_TRUE(receiver.Bound());
    const std::string text = "/" + std::string(4095, 'c');
    const std::string address = text.substr(0, kLongestCommand);
    instance->Set(0, text.c_str());
    for (const bool inBundle : {false, true}) {
        instance->Set(GetParam().Index().Bundle(), inBundle);
        instance->Set(1, inBundle ? 0.0f : 0.9f);
        const auto datagram = receiver.Receive();
        ASSERT_TRUE(datagram);
        EXPECT_EQ(datagram->size(), inBundle ? 2076u : 2056u);
        const auto decoded = tests::DecodeOsc(*datagram);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->address, address);
        EXPECT_EQ(decoded->bundle, inBundle);
    }
}

INSTANTIATE_TEST_SUITE_P(AllVariants, TextAddressTest, ::testing::ValuesIn(tests::AllVariants()));

}  // namespace
