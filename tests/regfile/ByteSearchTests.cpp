// The search for a byte or a pair of bytes, in every build the processor runs, against a
// plain loop: random texts of a few letters (so that matches abound), every starting
// point near the 64-byte blocks' edges and the text's end, letter case folded or not.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "regfile/ByteSearch.h"
#include "regfile/SelectorSeams.h"

// The build for processors without vector compares, here in the test's own copy.
#define PCI_SEARCH_PLAIN 1
#include "regfile/ByteSearchKernel.h"

namespace regfile::test {
namespace {

std::size_t PlainFind(std::string_view text, std::size_t from, const BytePattern& pattern) {
    for (std::size_t at = from; at + pattern.Distance < text.size(); ++at) {
        if (static_cast<char>(text[at] | pattern.Fold) == pattern.First &&
            static_cast<char>(text[at + pattern.Distance] | pattern.Fold) == pattern.Last) {
            return at;
        }
    }
    return std::string_view::npos;
}

// Runs `check` once in each build of the search this processor has.
template <class Check> void InEveryBuild(Check check) {
#if PCI_SEARCH_WIDE
    if (detail::WideSearchUsable()) {
        check("wide");
        detail::ForceNarrowSearch = true;
        check("base");
        detail::ForceNarrowSearch = false;
        return;
    }
#endif
    check("base");
}

// The build without vector compares, as FindPattern answers.
std::size_t PlainBuildFind(std::string_view text, std::size_t from, const BytePattern& p) {
    const std::size_t found =
        FindPatternIn(text.data(), text.size(), from, p.First, p.Last, p.Distance, p.Fold);
    return found < text.size() ? found : std::string_view::npos;
}

TEST(ByteSearch, FindsWhatAPlainLoopFindsInEveryBuild) {
    InEveryBuild([](const char* build) {
        std::mt19937 random(7);
        // Counted out: a zero byte would end a literal taken as a C string.
        const std::string_view alphabet("aAsS[\\\n\0x\xC1\xE1", 11);
        for (int round = 0; round < 400; ++round) {
            std::string text(random() % 300, ' ');
            for (char& c : text) {
                c = alphabet[random() % alphabet.size()];
            }
            const std::string_view view(text);
            const BytePattern patterns[] = {{'[', '[', 0, 0},
                                            {'a', 's', 7, 0x20},
                                            {'a', 'a', 1, 0},
                                            {'\0', 's', 64, 0},
                                            {static_cast<char>(0xE1), '\\', 3, 0x20},
                                            {'s', 'a', 70, 0x20}};
            for (const BytePattern& pattern : patterns) {
                for (std::size_t from = 0; from <= text.size() + 1; ++from) {
                    const std::size_t expected = PlainFind(view, from, pattern);
                    ASSERT_EQ(PlainBuildFind(view, from, pattern), expected)
                        << "plain, round " << round << ", from " << from;
                    ASSERT_EQ(FindPattern(view, from, pattern), expected)
                        << build << ", round " << round << ", from " << from << ", pattern '"
                        << pattern.First << "'..'" << pattern.Last << "' at " << pattern.Distance;
                }
            }
        }
    });
}

TEST(ByteSearch, NeverReadsPastTheText) {
    // The text is a block of its own (under the address sanitizer, any read beyond it is
    // reported); the match lies in its last bytes.
    InEveryBuild([](const char*) {
        for (std::size_t size = 0; size < 200; ++size) {
            std::vector<char> block(size, 'x');
            if (size >= 2) {
                block[size - 2] = 'v';
                block[size - 1] = 'S';
            }
            const std::string_view text(block.data(), size);
            const std::size_t expected = size >= 2 ? size - 2 : std::string_view::npos;
            EXPECT_EQ(FindPattern(text, 0, {'v', 's', 1, 0x20}), expected) << size;
        }
    });
}

#if PCI_SEARCH_WIDE
// The wide build called directly, so that a machine where FindPattern takes the base
// build alone says so instead of passing on that build.
TEST(ByteSearch, WideBuildAgreesWithAPlainLoop) {
    if (!detail::WideSearchUsable()) {
        GTEST_SKIP() << "this processor has no AVX2: only the base build was tested";
    }
    std::mt19937 random(11);
    std::string text(700, 'a');
    for (char& c : text) {
        c = "vsVSa"[random() % 5];
    }
    const BytePattern pattern{'v', 's', 1, 0x20};
    for (std::size_t from = 0; from <= text.size(); ++from) {
        const std::size_t wide =
            detail::WideFindPattern(text.data(), text.size(), from, 'v', 's', 1, 0x20);
        EXPECT_EQ(wide < text.size() ? wide : std::string_view::npos,
                  PlainFind(text, from, pattern))
            << from;
    }
}
#endif

} // namespace
} // namespace regfile::test
