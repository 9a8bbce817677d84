// Lines of the reading that the differential run's generator does not make.
#include <gtest/gtest.h>

#include "regfile/ImportReading.h"

namespace regfile {
namespace {

bool HasNote(const ImportReading& reading, NoteKind kind, std::size_t line) {
    for (const ImportNote& note : reading.Notes()) {
        if (note.Kind == kind && note.Line == line)
            return true;
    }
    return false;
}

// "[]" names no key: the import opens none, so the values below it are dropped; "[-]"
// deletes nothing. Both close the key open before them.
TEST(ImportReading, KeyLinesWithNoNameOpenAndDeleteNothing) {
    const ImportReading reading = ImportReading::Read("REGEDIT4\r\n"
                                                      "[HKEY_LOCAL_MACHINE\\A]\r\n"
                                                      "\"X\"=dword:1\r\n"
                                                      "[]\r\n"
                                                      "\"Y\"=dword:2\r\n"
                                                      "[HKEY_LOCAL_MACHINE\\A]\r\n"
                                                      "[-]\r\n"
                                                      "\"Z\"=dword:3\r\n",
                                                      "VKR3916S");
    const int key = reading.FindKey("HKEY_LOCAL_MACHINE\\A");
    ASSERT_GE(key, 0);
    EXPECT_NE(reading.FindValue(key, "X"), nullptr);
    EXPECT_EQ(reading.FindValue(key, "Y"), nullptr);
    EXPECT_EQ(reading.FindValue(key, "Z"), nullptr);
    EXPECT_TRUE(HasNote(reading, NoteKind::KeyNotOpened, 4));
    EXPECT_TRUE(HasNote(reading, NoteKind::DeleteFailed, 7));
    EXPECT_FALSE(reading.UndefinedAt());
}

} // namespace
} // namespace regfile
