#include "regfile/ByteSearch.h"

#include "regfile/ByteSearchKernel.h"

namespace regfile {

namespace detail {
bool ForceNarrowSearch = false;
} // namespace detail

std::size_t FindPattern(std::string_view text, std::size_t from, const BytePattern& pattern) {
    std::size_t found = text.size();
#if PCI_SEARCH_WIDE
    static const bool wide = detail::WideSearchUsable();
    if (wide && !detail::ForceNarrowSearch) {
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
