#include "regfile/ByteSearch.h"

#include "regfile/ByteSearchKernel.h"

#if PCI_TEST_SEAMS
#include "regfile/SelectorSeams.h"
#endif

namespace regfile {

namespace {

#if PCI_SEARCH_WIDE
bool UseWide() {
    static const bool wide = detail::WideSearchUsable();
#if PCI_TEST_SEAMS
    return wide && !detail::ForceNarrowSearch;
#else
    return wide;
#endif
}
#endif

} // namespace

#if PCI_TEST_SEAMS
namespace detail {
bool ForceNarrowSearch = false;
} // namespace detail
#endif

std::size_t FindPattern(std::string_view text, std::size_t from, const BytePattern& pattern) {
    std::size_t found = text.size();
#if PCI_SEARCH_WIDE
    if (UseWide()) {
        found = detail::WideFindPattern(text.data(), text.size(), from, pattern.First, pattern.Last,
                                        pattern.Distance, pattern.Fold);
    } else
#endif
    {
        found = FindPatternIn(text.data(), text.size(), from, pattern.First, pattern.Last,
                              pattern.Distance, pattern.Fold);
    }
    return found < text.size() ? found : std::string_view::npos;
}

} // namespace regfile
