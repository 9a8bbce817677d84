// The script's answers to message boxes: taken in order, OK once the queue is empty, and
// OK for a box without Cancel, which still uses up the queued answer.
#include <gtest/gtest.h>

#include <sstream>

#include "host/MessageBoxAnswers.h"

namespace {

constexpr unsigned kOk = 0x00;
constexpr unsigned kOkCancel = 0x01;
constexpr unsigned kIconStop = 0x10;

TEST(MessageBoxAnswers, AnswersInOrderAndWritesOneLineEach) {
    std::ostringstream transcript;
    host::MessageBoxAnswers answers(transcript);
    answers.Queue(false);
    answers.Queue(false);
    answers.Queue(true);

    EXPECT_FALSE(answers.Answer("Save", "Save the changes?", kOkCancel));
    EXPECT_TRUE(answers.Answer("Error", "Bad \"id\"", kOk | kIconStop))
        << "a box without Cancel can only be answered OK";
    EXPECT_TRUE(answers.Answer("Save", "again", kOkCancel)) << "the cancel went to the OK box";
    EXPECT_TRUE(answers.Answer("Save", "empty queue", kOkCancel));

    EXPECT_EQ(transcript.str(),
              "messagebox caption=\"Save\" text=\"Save the changes?\" buttons=OKCANCEL "
              "icon=none answer=cancel\n"
              "messagebox caption=\"Error\" text=\"Bad \\\"id\\\"\" buttons=OK icon=stop "
              "answer=ok\n"
              "messagebox caption=\"Save\" text=\"again\" buttons=OKCANCEL icon=none answer=ok\n"
              "messagebox caption=\"Save\" text=\"empty queue\" buttons=OKCANCEL icon=none "
              "answer=ok\n");
}

} // namespace
