// What one editor holds between its calls within a task (the edited text, its reading, the
// text as read), checked against what a fresh editor finds in the file the task leaves.
#include <cstdint>
#include <string>
#include <vector>

#include "Fixture.h"
#include "platform/File.h"
#include "platform/FileSeam.h"
#include "regfile/Journal.h"

namespace regfile::test {
namespace {

using platform::FileCall;

struct Span {
    std::uint32_t Start = 0;
    std::uint32_t End = 0;
    bool operator==(const Span&) const = default;
};

Span SpanOf(const RegFile& editor, int index) {
    Span span;
    editor.LocateSection(kKey, index, span.Start, span.End);
    return span;
}

int WriteText(RegFile& editor, int index, const char* name, const char* text) {
    return editor.WriteValue(kKey, index, name, REG_SZ, text,
                             static_cast<std::uint32_t>(std::char_traits<char>::length(text) + 1));
}

int WriteDword(RegFile& editor, int index, const char* name, std::uint32_t value) {
    return editor.WriteValue(kKey, index, name, REG_DWORD, &value, 4);
}

// Records every file call, and counts the bytes written to one path: the bytes the file
// layer counts between two calls belong to the first of them.
class CallRecorder {
public:
    explicit CallRecorder(std::string tracked = {}) : tracked_(std::move(tracked)) {}
    std::uint64_t WrittenToTracked() {
        Settle();
        return written_;
    }
    const std::vector<FileCall>& Calls() const { return calls_; }

private:
    void Settle() {
        const std::uint64_t now = platform::Counters().BytesWritten;
        if (!tracked_.empty() && last_ == tracked_) {
            written_ += now - mark_;
        }
        mark_ = now;
    }
    std::string tracked_;
    std::string last_;
    std::uint64_t mark_ = platform::Counters().BytesWritten;
    std::uint64_t written_ = 0;
    std::vector<FileCall> calls_;
    // Last, so that it is installed after the state it fills and removed before it.
    Hook hook_{[this](FileCall call, std::string_view path) {
        Settle();
        last_ = std::string(path);
        calls_.push_back(call);
        return 0;
    }};
};

class TaskStateTest : public RegFileTest {
protected:
    // The section's span as an editor opened afresh on the file finds it.
    Span FreshSpan(int index) const {
        RegFile fresh;
        OpenEditor(fresh);
        return SpanOf(fresh, index);
    }
};

const std::string kTwoSections = std::string(kRegHeader) + AppendedHeader(2) +
                                 "\n\"SwitchID\"=dword:a\r\n" + "\n\"LatchData\"=hex:01,00\r\n" +
                                 AppendedHeader(3) + "\n\"SwitchID\"=dword:b\r\n";

TEST_F(TaskStateTest, EditsInsideASectionMoveItsEndAsASearchWould) {
    Write(kTwoSections);
    RegFile editor;
    OpenEditor(editor);
    const Span before = SpanOf(editor, 2);
    EXPECT_EQ(WriteDword(editor, 2, "SwitchID", 0x1234), 0); // longer line
    EXPECT_EQ(WriteDword(editor, 2, "Extra", 7), 0);         // a new line
    EXPECT_EQ(WriteText(editor, 2, "LatchData", "x"), 0);    // shorter line
    const Span kept = SpanOf(editor, 2);
    EXPECT_EQ(kept.Start, before.Start);
    const std::string edited = Held(editor);
    editor.Close();
    ASSERT_EQ(Read(), edited);
    EXPECT_EQ(kept, FreshSpan(2));
    EXPECT_EQ(edited.substr(kept.End, Header(3).size()), Header(3));
}

TEST_F(TaskStateTest, ABracketWrittenIntoAValueIsContent) {
    Write(kTwoSections);
    RegFile editor;
    OpenEditor(editor);
    SpanOf(editor, 2);
    EXPECT_EQ(WriteText(editor, 2, "Note", "see [notes]"), 0);
    EXPECT_EQ(WriteDword(editor, 2, "After", 1), 0);
    const Span kept = SpanOf(editor, 2);
    const std::string edited = Held(editor);
    EXPECT_EQ(edited.substr(kept.End, Header(3).size()), Header(3));
    EXPECT_LT(edited.find("[notes]"), edited.find("\"After\""));
    editor.Close();
    EXPECT_EQ(SpanOf(editor, 2), Span{}); // a closed editor holds no text
    EXPECT_EQ(FreshSpan(2), kept);
}

TEST_F(TaskStateTest, TheRestOfAHeaderLineIsIgnored) {
    // Text behind the header's "]" is no value; a value the section lacks goes to its end.
    Write(Header(2) + "\"S\"=\"old\"\r\n\"SwitchID\"=dword:1\r\n");
    RegFile editor;
    OpenEditor(editor);
    std::int32_t type = 0;
    std::uint32_t value = 0;
    std::uint32_t size = 4;
    EXPECT_EQ(editor.ReadValue(kKey, 2, "S", &type, &value, &size), 1);
    EXPECT_EQ(editor.ReadValue(kKey, 2, "SwitchID", &type, &value, &size), 0);
    EXPECT_EQ(WriteText(editor, 2, "S", "a;b"), 0);
    EXPECT_EQ(editor.SectionExists(2, kKey), 1);
    editor.Close();
    EXPECT_EQ(Read(), Header(2) + "\"S\"=\"old\"\r\n\"SwitchID\"=dword:1\r\n\n\"S\"=\"a;b\"\r\n");
    EXPECT_EQ(FreshSpan(2).End, Shift() + Read().size());
}

TEST_F(TaskStateTest, DeletingAndAppendingFindTheSectionAgain) {
    Write(kTwoSections);
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(editor.SectionExists(2, kKey), 1);
    editor.DeleteSection(2, kKey);
    EXPECT_EQ(editor.SectionExists(2, kKey), 0);
    editor.AppendSection(2);
    EXPECT_EQ(editor.SectionExists(2, kKey), 1);
    EXPECT_EQ(WriteDword(editor, 2, "SwitchID", 4), 0);
    const Span kept = SpanOf(editor, 2);
    editor.Close();
    EXPECT_EQ(kept, FreshSpan(2));
    EXPECT_NE(Read().find(Header(2) + " \r\n\n\"SwitchID\"=dword:4\r\n"), std::string::npos);
}

TEST_F(TaskStateTest, AZeroByteEndsTheSectionAheadOfIt) {
    std::string withZero = kTwoSections;
    withZero.insert(withZero.find(Header(3)), 1, '\0');
    Write(withZero);
    RegFile second;
    OpenEditor(second);
    std::uint16_t mask = 0;
    second.ListTemplates(mask);
    EXPECT_EQ(mask, 0x0004);
    EXPECT_EQ(second.SectionExists(3, kKey), 0);
    // Section 2 ends at the zero byte: a value it lacks goes ahead of that byte.
    EXPECT_EQ(SpanOf(second, 2).End, withZero.find('\0'));
    EXPECT_EQ(WriteDword(second, 2, "Extra", 9), 0);
    const std::string edited = Held(second);
    EXPECT_LT(edited.find("\"Extra\""), edited.find('\0'));
    EXPECT_EQ(edited.substr(edited.find('\0') + 1), withZero.substr(withZero.find('\0') + 1));
    second.Close();
    EXPECT_EQ(Read(), edited);
}

TEST_F(TaskStateTest, AChangeUndoneWithinTheTaskWritesNothing) {
    Write(kTwoSections);
    CallRecorder counter;
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(WriteDword(editor, 2, "SwitchID", 0x55555), 0);
    EXPECT_EQ(WriteDword(editor, 3, "SwitchID", 0x1234), 0);
    EXPECT_NE(Held(editor), kTwoSections);
    EXPECT_EQ(WriteDword(editor, 2, "SwitchID", 0xa), 0);
    EXPECT_EQ(WriteDword(editor, 3, "SwitchID", 0xb), 0);
    ASSERT_EQ(Held(editor), kTwoSections);
    editor.Close();
    for (FileCall call : counter.Calls()) {
        EXPECT_NE(call, FileCall::Write);
        EXPECT_NE(call, FileCall::Create);
        EXPECT_NE(call, FileCall::SetLength);
    }
    EXPECT_EQ(Read(), kTwoSections);
}

TEST_F(TaskStateTest, EditsFarApartWriteFromTheFirstToTheLastChangedByte) {
    // Same length: the last edit lies ahead of the first one, and a middle one is undone.
    std::string filler;
    for (int i = 0; i < 300; ++i) {
        filler += "; filler line " + std::to_string(i) + "\r\n";
    }
    const std::string before = kTwoSections + filler + AppendedHeader(9) +
                               "\n\"SwitchID\"=dword:9\r\n" + filler + AppendedHeader(12) +
                               "\n\"SwitchID\"=dword:c\r\n";
    Write(before);
    CallRecorder counter(path_);
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(WriteDword(editor, 12, "SwitchID", 0xd), 0);
    EXPECT_EQ(WriteDword(editor, 9, "SwitchID", 0x8), 0);
    EXPECT_EQ(WriteDword(editor, 9, "SwitchID", 0x9), 0);
    EXPECT_EQ(WriteDword(editor, 2, "SwitchID", 0xe), 0);
    const std::string after = Held(editor);
    ASSERT_EQ(after.size(), before.size());
    editor.Close();
    EXPECT_EQ(Read(), after);
    const std::size_t first = before.find("dword:a") + 6;
    const std::size_t last = before.find("dword:c") + 6;
    EXPECT_EQ(counter.WrittenToTracked(), last - first + 1);
}

TEST_F(TaskStateTest, ALengthChangeWritesFromTheFirstChangedByteToTheEnd) {
    const std::string tail = AppendedHeader(9) + "\n\"SwitchID\"=dword:9\r\n";
    Write(kTwoSections + tail);
    CallRecorder counter(path_);
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(WriteDword(editor, 9, "SwitchID", 0x99), 0); // one byte longer, near the end
    EXPECT_EQ(WriteDword(editor, 3, "SwitchID", 0xc), 0);  // same length, ahead of it
    const std::string after = Held(editor);
    editor.Close();
    EXPECT_EQ(Read(), after);
    const std::size_t first = kTwoSections.find("dword:b") + 6;
    EXPECT_EQ(counter.WrittenToTracked(), after.size() - first);
}

TEST_F(TaskStateTest, ReloadDropsTheEditsAndTheKeptSection) {
    Write(kTwoSections);
    RegFile editor;
    OpenEditor(editor);
    editor.DeleteSection(2, kKey);
    EXPECT_EQ(editor.SectionExists(2, kKey), 0);
    editor.Reload();
    EXPECT_EQ(editor.SectionExists(2, kKey), 1);
    EXPECT_EQ(Held(editor), kTwoSections);
    editor.Close();
    EXPECT_EQ(Read(), kTwoSections);
    EXPECT_FALSE(Exists(JournalPath(path_)));
}

TEST_F(TaskStateTest, ListingTakesWholeKeysUpToTheFileEnd) {
    const std::string header1 = Header(1);
    const std::string prefix = header1.substr(0, header1.size() - 2);
    // The key runs to the line's last "]": two headers on one line are neither template.
    // The file ends right after an index without its bracket: no key.
    Write(Header(20) + Header(5) + "\r\n" + Header(6) + "\r\n" + prefix + "1");
    RegFile editor;
    OpenEditor(editor);
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    EXPECT_EQ(mask, 0x0040);
    editor.Close();

    // A prefix cut short by the end of the file, or ending it with no index, lists nothing.
    for (const std::string& end : {prefix.substr(0, prefix.size() - 3), prefix}) {
        Write(Header(6) + "\r\n" + end);
        RegFile cut;
        OpenEditor(cut);
        cut.ListTemplates(mask);
        EXPECT_EQ(mask, 0x0040);
    }
}

} // namespace
} // namespace regfile::test
