// The editor keeps of the bytes as read only the span its splices touched; its commit must
// be the one of the whole text as read: the same file calls with the same bytes, the same
// journal, the same file after.
#include <random>
#include <tuple>
#include <vector>

#include "Fixture.h"
#include "regfile/Journal.h"

namespace regfile::test {
namespace {

using platform::FileCall;

// 'd' deletes template Index, 'a' appends a section for it, 's' writes its switch ID Arg,
// 'n' (else 'o') its "Note" (else "Other") of Arg letters.
struct Op {
    char Kind;
    int Index;
    std::uint32_t Arg = 0;
};

// 16 templates (switch ID = index, an empty note) among comment lines of growing length.
std::string Sections() {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 16; ++i) {
        text += AppendedHeader(i) + "\"SwitchID\"=dword:" + "0123456789abcdef"[i] +
                "\r\n\"Note\"=\"\"\r\n;" + std::string(60 * i, 'c') + "\r\n";
    }
    return text;
}

struct Trace {
    std::vector<std::tuple<FileCall, std::string, std::uint64_t>> Calls; // bytes written ahead
    std::string Journal;                                                 // as synced
};

class KeptSpanTest : public RegFileTest {
protected:
    Trace Record(const std::function<void()>& commit) {
        Trace trace;
        const std::uint64_t start = platform::Counters().BytesWritten;
        Hook hook([&](FileCall call, std::string_view path) {
            trace.Calls.emplace_back(call, path, platform::Counters().BytesWritten - start);
            if (call == FileCall::Sync && path == JournalPath(path_)) {
                trace.Journal = ReadBytes(JournalPath(path_));
            }
            return 0;
        });
        commit();
        return trace;
    }
    void Compare(const std::vector<Op>& ops) {
        Write(Sections());
        RegFile editor;
        OpenEditor(editor);
        for (const Op& op : ops) {
            const std::string text(op.Arg, static_cast<char>('x' + op.Index % 3));
            if (op.Kind == 'd' || op.Kind == 'a') {
                op.Kind == 'd' ? editor.DeleteSection(op.Index, kKey)
                               : editor.AppendSection(op.Index);
            } else if (op.Kind == 's') {
                editor.WriteValue(kKey, op.Index, "SwitchID", REG_DWORD, &op.Arg, 4);
            } else {
                editor.WriteValue(kKey, op.Index, op.Kind == 'n' ? "Note" : "Other", REG_SZ,
                                  text.c_str(), op.Arg + 1);
            }
        }
        const std::string updated(editor.Block(), editor.Length());
        EXPECT_EQ(editor.Block()[editor.Length()], '\0');
        const Trace kept = Record([&] { editor.Close(); });
        EXPECT_TRUE(Read() == updated);
        Write(Sections());
        platform::File file;
        platform::FileErrorInfo info;
        ASSERT_EQ(file.Open(path_, info), 0);
        const Trace whole = Record([&] {
            CommitChange(file, Sections(), updated);
            file.Close();
        });
        EXPECT_EQ(kept.Calls, whole.Calls);
        EXPECT_TRUE(kept.Journal == whole.Journal);
        EXPECT_TRUE(Read() == updated);
    }
};

TEST_F(KeptSpanTest, EditsInAnyOrderCommitAsTheWholeTextWould) {
    const std::vector<std::pair<const char*, std::vector<Op>>> cases = {
        {"deletions last to first", {{'d', 12}, {'d', 7}, {'d', 3}}},
        {"deletions first to last", {{'d', 3}, {'d', 7}, {'d', 12}}},
        {"lines outgrowing the buffer",
         {{'n', 3, 200}, {'o', 3, 200}, {'n', 4, 200}, {'a', 20}, {'o', 1, 9}}},
        {"writes beside a deleted section", {{'d', 6}, {'s', 5, 0x99}, {'n', 7, 40}}},
        {"a deletion over both ends of the span", {{'s', 6, 0x1234}, {'n', 6, 5}, {'d', 6}}},
        {"bytes as read written back", {{'s', 4, 0x77}, {'s', 9, 0x78}, {'s', 4, 4}}},
        {"every change undone", {{'s', 9, 0x78}, {'n', 2, 1}, {'s', 9, 9}, {'n', 2, 0}}},
    };
    for (const auto& [name, ops] : cases) {
        SCOPED_TRACE(name);
        Compare(ops);
    }
}

TEST_F(KeptSpanTest, RandomEditsCommitAsTheWholeTextWould) {
    std::mt19937 random(3916);
    const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 2000 && !HasFailure(); ++round) {
        SCOPED_TRACE(round);
        std::vector<Op> ops(static_cast<std::size_t>(1 + below(6)));
        for (Op& op : ops) {
            op = {"dasno"[below(5)], below(18)};
            // A switch ID is often its own (the bytes as read), a text often empty.
            op.Arg = static_cast<std::uint32_t>(op.Kind == 's' ? op.Index + below(2) : below(230));
        }
        Compare(ops);
    }
}

} // namespace
} // namespace regfile::test
