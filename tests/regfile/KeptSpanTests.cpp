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
using Edit = std::function<void(RegFile&)>;

void Dword(RegFile& editor, int index, std::uint32_t value) {
    editor.WriteValue(kKey, index, "SwitchID", REG_DWORD, &value, 4);
}

void WriteText(RegFile& editor, int index, const char* name, const std::string& text) {
    editor.WriteValue(kKey, index, name, REG_SZ, text.c_str(),
                      static_cast<std::uint32_t>(text.size() + 1));
}

// 16 templates (switch ID = index) among comment lines of growing length: about 9 KiB.
std::string Sections() {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 16; ++i) {
        text += AppendedHeader(i) + "\"SwitchID\"=dword:" + "0123456789abcdef"[i] +
                "\r\n\"Note\"=\"n\"\r\n;" + std::string(60 * i, 'c') + "\r\n";
    }
    return text;
}

class KeptSpanTest : public RegFileTest {
protected:
    struct Trace {
        // Each call, its path and the bytes written ahead of it.
        std::vector<std::tuple<FileCall, std::string, std::uint64_t>> Calls;
        std::string Journal; // as synced
        std::string After;
    };
    Trace Record(const std::function<void()>& commit) {
        Trace trace;
        const std::string journal = JournalPath(path_);
        const std::uint64_t start = platform::Counters().BytesWritten;
        {
            Hook hook([&](FileCall call, std::string_view path) {
                const std::uint64_t written = platform::Counters().BytesWritten - start;
                trace.Calls.emplace_back(call, std::string(path), written);
                if (call == FileCall::Sync && path == journal) {
                    trace.Journal = ReadBytes(journal);
                }
                return 0;
            });
            commit();
        }
        trace.After = Read();
        return trace;
    }
    void Compare(const std::string& before, const Edit& edit) {
        Write(before);
        RegFile editor;
        OpenEditor(editor);
        edit(editor);
        const std::string updated(editor.Block(), editor.Length());
        const Trace kept = Record([&] { editor.Close(); });
        Write(before);
        platform::File file;
        platform::FileErrorInfo info;
        ASSERT_EQ(file.Open(path_, info), 0);
        const Trace whole = Record([&] {
            CommitChange(file, before, updated);
            file.Close();
        });
        EXPECT_EQ(kept.Calls, whole.Calls);
        EXPECT_TRUE(kept.Journal == whole.Journal);
        EXPECT_TRUE(kept.After == updated && whole.After == updated);
    }
};

TEST_F(KeptSpanTest, EditsInAnyOrderCommitAsTheWholeTextWould) {
    const std::string longText(300, 'L');
    const std::vector<std::pair<const char*, Edit>> edits = {
        {"deletions last to first",
         [](RegFile& e) {
             for (int i : {12, 7, 3}) {
                 e.DeleteSection(i, kKey);
             }
         }},
        {"deletions first to last",
         [](RegFile& e) {
             for (int i : {3, 7, 12}) {
                 e.DeleteSection(i, kKey);
             }
         }},
        {"lines outgrowing the buffer",
         [&](RegFile& e) {
             for (const char* name : {"A", "B", "C", "D", "E"}) {
                 WriteText(e, 3, name, longText);
             }
             e.AppendSection(20);
         }},
        {"writes beside a deleted section",
         [](RegFile& e) {
             e.DeleteSection(6, kKey);
             Dword(e, 5, 0x99);
             Dword(e, 7, 0x98);
             WriteText(e, 7, "Note", "a longer note");
         }},
        {"a deletion over both ends of the span",
         [](RegFile& e) {
             Dword(e, 6, 0x1234);
             WriteText(e, 6, "Note", "");
             e.DeleteSection(6, kKey);
         }},
        {"bytes as read written back",
         [](RegFile& e) {
             Dword(e, 4, 0x77);
             Dword(e, 9, 0x78);
             Dword(e, 4, 4);
         }},
        {"every change undone",
         [](RegFile& e) {
             Dword(e, 9, 0x78);
             WriteText(e, 2, "Note", "x");
             Dword(e, 9, 9);
             WriteText(e, 2, "Note", "n");
         }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        Compare(Sections(), edit);
    }
}

TEST_F(KeptSpanTest, RandomEditsCommitAsTheWholeTextWould) {
    std::mt19937 random(3916);
    const std::string before = Sections();
    for (int round = 0; round < 2000 && !HasFailure(); ++round) {
        SCOPED_TRACE(round);
        Compare(before, [&](RegFile& e) {
            for (int n = std::uniform_int_distribution(1, 6)(random); n > 0; --n) {
                const int index = std::uniform_int_distribution(0, 17)(random);
                switch (std::uniform_int_distribution(0, 4)(random)) {
                case 0:
                    e.DeleteSection(index, kKey);
                    break;
                case 1:
                    e.AppendSection(index);
                    break;
                case 2: // its own switch ID: often the bytes as read
                    Dword(e, index, static_cast<std::uint32_t>(random() % 2 ? index : index + 1));
                    break;
                default:
                    WriteText(e, index, random() % 2 ? "Note" : "Other",
                              std::string(random() % 400, static_cast<char>('a' + random() % 3)));
                }
            }
        });
    }
}

} // namespace
} // namespace regfile::test
