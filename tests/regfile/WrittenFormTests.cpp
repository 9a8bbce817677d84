// Reading a template's values in the form a Save writes them, against the walk over the
// lines as the importer reads them: the same answers wherever the short way applies, and
// the short way taken for every template a Save wrote.
#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "Fixture.h"

namespace regfile::test {
namespace {

struct Answer {
    Answer() { Read.SwitchId = 0xDEADBEEF; } // what a value not stored leaves
    int Result = -1;
    bool AsWritten = false;
    std::array<RegValueSpec, 4> List{};
    TemplateValues Read;
};

// A value line of template text: mostly as a Save writes it, now and then in another
// spelling the import reads all the same (or refuses).
std::string ValueLine(std::mt19937& random, int which) {
    const auto pick = [&](unsigned n) { return random() % n; };
    if (which == 0) {
        const char* forms[] = {"\"SwitchID\"=dword:a",         "\"SwitchID\"=dword:0",
                               "\"SwitchID\"=dword:0a",        "\"SwitchID\"=dword:A",
                               "\"switchid\"=dword:3",         "\"SwitchID\"=dword:ffffffff",
                               "\"SwitchID\"=dword:1 ",        "\"SwitchID\"=hex(4):03,00,00,00",
                               "\"SwitchID\"=dword:12345678a", "\"SwitchID\"=dword:f"};
        return forms[pick(3) != 0 ? 0 : pick(10)];
    }
    const std::string name = which == 1 ? "\"TriggerMode\"" : "\"LatchData\"";
    const char* lists[] = {
        "=hex:04,00,04,00,00,00,00,00",       "=hex:01,00,00,00,00,00,01,00",
        "=hex:0a,00,00,00,00,00,00,00",       "=hex:04,00,04,00,00,00,00",
        "=hex:04,00,04,00,00,00,00,00,01",    "=hex:04,00,04,00,\\\r\n  00,00,00,00",
        "=hex:04,00,04,00,00,00,00,00 ;note", "=hex(3):04,00,04,00,00,00,00,00"};
    return name + lists[pick(3) != 0 ? pick(2) : pick(8)];
}

std::string RandomSection(std::mt19937& random, int index) {
    const auto pick = [&](unsigned n) { return random() % n; };
    const char* ends[] = {"\r\n", "\n", "\r"};
    std::string text = AppendedHeader(index);
    std::array<int, 3> order{0, 1, 2};
    if (pick(4) == 0) {
        std::shuffle(order.begin(), order.end(), random);
    }
    for (int which : order) {
        if (pick(12) == 0) {
            continue; // a value missing
        }
        text += pick(3) == 0 ? "" : "\n";
        if (pick(20) == 0) {
            text += pick(2) == 0 ? "; a comment\r\n" : "\"Other\"=dword:1\r\n";
        }
        text += (pick(15) == 0 ? " " : "") + ValueLine(random, which) +
                ends[pick(4) == 0 ? 1 + pick(2) : 0];
        if (pick(25) == 0) {
            text += ValueLine(random, which) + "\r\n"; // the same value twice
        }
    }
    return text;
}

class WrittenFormTest : public RegFileTest {
protected:
    Answer Walk(RegFile& editor, int index) {
        Answer answer;
        answer.List = answer.Read.List();
        answer.Result = editor.ReadValueListByWalk(kKey, index, answer.List.data(),
                                                   answer.List.data(), answer.AsWritten);
        return answer;
    }
    // nullopt: the short way does not apply.
    std::optional<Answer> Short(RegFile& editor, int index) {
        Answer answer;
        answer.List = answer.Read.List();
        if (!editor.ReadWrittenValueList(kKey, index, answer.List.data(), answer.List.data(),
                                         answer.Result, answer.AsWritten)) {
            return std::nullopt;
        }
        return answer;
    }
};

void ExpectSame(const Answer& walk, const Answer& shortWay, const std::string& text) {
    EXPECT_EQ(shortWay.Result, walk.Result) << text;
    EXPECT_EQ(shortWay.AsWritten, walk.AsWritten) << text;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(shortWay.List[i].Type, walk.List[i].Type) << i << "\n" << text;
        EXPECT_EQ(shortWay.List[i].Size, walk.List[i].Size) << i << "\n" << text;
    }
    EXPECT_EQ(shortWay.Read.SwitchId, walk.Read.SwitchId) << text;
    EXPECT_EQ(shortWay.Read.Trigger, walk.Read.Trigger) << text;
    EXPECT_EQ(shortWay.Read.Latch, walk.Read.Latch) << text;
}

TEST_F(WrittenFormTest, AnswersAsTheWalkDoesWhereverItApplies) {
    std::mt19937 random(11);
    int applied = 0;
    int declined = 0;
    for (int round = 0; round < 300; ++round) {
        std::string text = "REGEDIT4\r\n";
        for (int index = 0; index < 4; ++index) {
            text += RandomSection(random, index);
        }
        if (round % 7 == 0) {
            text += RandomSection(random, 1); // a template with two sections
        }
        Write(text);
        RegFile editor;
        OpenEditor(editor);
        for (int index = 0; index < 5; ++index) {
            const std::optional<Answer> shortWay = Short(editor, index);
            if (!shortWay) {
                ++declined;
                continue;
            }
            ++applied;
            ExpectSame(Walk(editor, index), *shortWay, text);
        }
    }
    // Both ways were put to the test.
    EXPECT_GT(applied, 150);
    EXPECT_GT(declined, 300);
}

TEST_F(WrittenFormTest, TakenForEveryTemplateASaveWrote) {
    std::string text = "REGEDIT4\r\n";
    for (int index = 0; index < 16; ++index) {
        TemplateValues values;
        values.SwitchId = static_cast<std::uint32_t>(15 - index);
        values.Trigger[2] = static_cast<std::uint8_t>(index * 16 + 3);
        values.Latch[7] = 0xFF;
        std::array<RegValueSpec, 4> list = values.List();
        Write(text);
        RegFile editor;
        OpenEditor(editor);
        editor.AppendSection(index);
        ASSERT_EQ(editor.ApplyValueList(kKey, index, list.data(), 1), 1);
        text.assign(editor.Block(), editor.Length());
    }
    Write(text);
    RegFile editor;
    OpenEditor(editor);
    for (int index = 0; index < 16; ++index) {
        const std::optional<Answer> shortWay = Short(editor, index);
        ASSERT_TRUE(shortWay.has_value()) << index;
        EXPECT_TRUE(shortWay->AsWritten);
        EXPECT_EQ(shortWay->Read.SwitchId, static_cast<std::uint32_t>(15 - index));
        EXPECT_EQ(shortWay->Read.Trigger[2], index * 16 + 3);
        ExpectSame(Walk(editor, index), *shortWay, text);
    }
}

} // namespace
} // namespace regfile::test
