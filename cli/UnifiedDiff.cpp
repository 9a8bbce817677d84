#include "cli/UnifiedDiff.h"

#include <algorithm>
#include <vector>

namespace cli {
namespace {

// Each line with its LF, the last one possibly without.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t lf = text.find('\n', begin);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

enum class Op { Equal, Delete, Insert };

struct Step {
    Op Kind;
    std::size_t Old; // index into the old lines (Equal, Delete)
    std::size_t New; // index into the new lines (Equal, Insert)
};

using Lines = std::vector<std::string_view>;

// Beyond this many differing lines the middle is shown as deleted and inserted whole: the
// search below keeps a row per edit, so its memory grows with the square of the edits.
constexpr long kMaxEdits = 4000;

// The shortest edit script of a[aBegin, aEnd) into b[bBegin, bEnd) (Myers' greedy search),
// appended to `steps` in order.
void MiddleSteps(const Lines& a, std::size_t aBegin, std::size_t aEnd, const Lines& b,
                 std::size_t bBegin, std::size_t bEnd, std::vector<Step>& steps) {
    const long n = static_cast<long>(aEnd - aBegin);
    const long m = static_cast<long>(bEnd - bBegin);
    auto equal = [&](long x, long y) { return a[aBegin + x] == b[bBegin + y]; };

    // trace[d][k + d]: the furthest x on diagonal k (x - y) after d edits.
    std::vector<std::vector<long>> trace;
    long edits = -1;
    for (long d = 0; d <= n + m && d <= kMaxEdits && edits < 0; ++d) {
        std::vector<long> v(static_cast<std::size_t>(2 * d + 1));
        for (long k = -d; k <= d; k += 2) {
            long x = 0;
            if (d > 0) {
                const std::vector<long>& prev = trace.back();
                const bool down = k == -d || (k != d && prev[k - 1 + d - 1] < prev[k + 1 + d - 1]);
                x = down ? prev[k + 1 + d - 1] : prev[k - 1 + d - 1] + 1;
            }
            long y = x - k;
            while (x < n && y < m && equal(x, y)) {
                ++x;
                ++y;
            }
            v[k + d] = x;
            if (x >= n && y >= m)
                edits = d;
        }
        trace.push_back(std::move(v));
    }

    std::vector<Step> reversed;
    if (edits < 0) {
        for (long y = m - 1; y >= 0; --y)
            reversed.push_back({Op::Insert, 0, bBegin + y});
        for (long x = n - 1; x >= 0; --x)
            reversed.push_back({Op::Delete, aBegin + x, 0});
    } else {
        long x = n;
        long y = m;
        for (long d = edits; d > 0; --d) {
            const std::vector<long>& prev = trace[d - 1];
            const long k = x - y;
            const bool down = k == -d || (k != d && prev[k - 1 + d - 1] < prev[k + 1 + d - 1]);
            const long prevK = down ? k + 1 : k - 1;
            const long prevX = prev[prevK + d - 1];
            const long prevY = prevX - prevK;
            const long snakeX = down ? prevX : prevX + 1;
            while (x > snakeX) {
                --x;
                --y;
                reversed.push_back({Op::Equal, aBegin + x, bBegin + y});
            }
            if (down)
                reversed.push_back({Op::Insert, 0, bBegin + prevY});
            else
                reversed.push_back({Op::Delete, aBegin + prevX, 0});
            x = prevX;
            y = prevY;
        }
        while (x > 0) {
            --x;
            --y;
            reversed.push_back({Op::Equal, aBegin + x, bBegin + y});
        }
    }
    steps.insert(steps.end(), reversed.rbegin(), reversed.rend());
}

std::vector<Step> EditScript(const Lines& a, const Lines& b) {
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;

    std::vector<Step> steps;
    for (std::size_t i = 0; i < head; ++i)
        steps.push_back({Op::Equal, i, i});
    MiddleSteps(a, head, a.size() - tail, b, head, b.size() - tail, steps);
    for (std::size_t i = tail; i > 0; --i)
        steps.push_back({Op::Equal, a.size() - i, b.size() - i});
    return steps;
}

// "start,count" of a hunk's range, as diff writes it: a count of 1 is left out, and an
// empty range names the line before it.
std::string Range(std::size_t first, std::size_t count) {
    const std::size_t start = count == 0 ? first : first + 1;
    if (count == 1)
        return std::to_string(start);
    return std::to_string(start) + "," + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line) {
    out += mark;
    out += line;
    if (!line.ends_with('\n'))
        out += "\n\\ No newline at end of file\n";
}

} // namespace

std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view label,
                        std::size_t context) {
    if (before == after)
        return {};
    const Lines a = SplitLines(before);
    const Lines b = SplitLines(after);
    const std::vector<Step> steps = EditScript(a, b);

    std::string out = "--- " + std::string(label) + "\n+++ " + std::string(label) + "\n";
    std::size_t i = 0;
    while (i < steps.size()) {
        while (i < steps.size() && steps[i].Kind == Op::Equal)
            ++i;
        if (i == steps.size())
            break;
        // A hunk: the changes from here on whose gaps of equal lines are at most twice the
        // context, with the context around them.
        const std::size_t first = i >= context ? i - context : 0;
        std::size_t last = i; // one past the hunk's last change
        for (std::size_t j = i; j < steps.size();) {
            if (steps[j].Kind != Op::Equal) {
                last = ++j;
                continue;
            }
            std::size_t gap = j;
            while (gap < steps.size() && steps[gap].Kind == Op::Equal)
                ++gap;
            if (gap == steps.size() || gap - j > 2 * context)
                break;
            j = gap;
        }
        const std::size_t end = std::min(steps.size(), last + context);

        std::size_t oldCount = 0;
        std::size_t newCount = 0;
        std::size_t oldFirst = 0;
        std::size_t newFirst = 0;
        // Where the ranges begin: the first step's own line, or the line an insertion (or
        // deletion) stands after.
        for (std::size_t j = first; j < end; ++j) {
            if (steps[j].Kind != Op::Insert && oldCount++ == 0)
                oldFirst = steps[j].Old;
            if (steps[j].Kind != Op::Delete && newCount++ == 0)
                newFirst = steps[j].New;
        }
        if (oldCount == 0 || newCount == 0) {
            // The count of lines of each side ahead of the hunk.
            std::size_t oldBefore = 0;
            std::size_t newBefore = 0;
            for (std::size_t j = 0; j < first; ++j) {
                oldBefore += steps[j].Kind != Op::Insert;
                newBefore += steps[j].Kind != Op::Delete;
            }
            if (oldCount == 0)
                oldFirst = oldBefore;
            if (newCount == 0)
                newFirst = newBefore;
        }
        out += "@@ -" + Range(oldFirst, oldCount) + " +" + Range(newFirst, newCount) + " @@\n";
        for (std::size_t j = first; j < end; ++j) {
            switch (steps[j].Kind) {
            case Op::Equal:
                AppendLine(out, ' ', a[steps[j].Old]);
                break;
            case Op::Delete:
                AppendLine(out, '-', a[steps[j].Old]);
                break;
            case Op::Insert:
                AppendLine(out, '+', b[steps[j].New]);
                break;
            }
        }
        i = end;
    }
    return out;
}

} // namespace cli
