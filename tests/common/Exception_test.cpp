#include "common/Exception.h"
#include <gtest/gtest.h>
#include <string>

TEST(ExceptionTest, PlainMessageIsTheFullMessage) {
    Exception e("Incorrect interval value.");
    EXPECT_STREQ("Incorrect interval value.", e.what());
    EXPECT_STREQ("Incorrect interval value.", e.GetFullMessage());
    Exception empty(nullptr);
    EXPECT_STREQ("", empty.GetFullMessage());
}

TEST(ExceptionTest, CauseChainsAreJoinedRecursively) {
    Exception root("disk gone");
    Exception middle("Unable to read folders", root);
    Exception top("Unable to load Task1", middle);
    EXPECT_STREQ("Unable to load Task1", top.what());
    EXPECT_EQ(std::string("Unable to load Task1 because of:\nUnable to read folders because of:\ndisk gone"),
              top.GetFullMessage());
    // Asking twice rebuilds the same text rather than appending to the last one.
    EXPECT_EQ(std::string(top.GetFullMessage()), std::string(top.GetFullMessage()));
}

TEST(ExceptionTest, CopiesFlattenTheChainAndStayStable) {
    Exception top("outer", Exception("inner", Exception("innermost")));
    const std::string full = top.GetFullMessage();
    Exception copy(top);
    EXPECT_EQ(full, copy.what());
    EXPECT_EQ(full, copy.GetFullMessage());
    Exception copyOfCopy(copy);
    EXPECT_EQ(full, copyOfCopy.what());
    EXPECT_EQ(full, copyOfCopy.GetFullMessage());
}

TEST(ExceptionTest, ThrownByValueAndCaughtByReferenceKeepsTheChain) {
    try {
        throw Exception("outer", Exception("inner"));
    } catch (const Exception& e) {
        EXPECT_STREQ("outer because of:\ninner", e.GetFullMessage());
    }
}

TEST(ExceptionTest, WinLogExceptionIsAnExceptionAndAStdError) {
    bool caught = false;
    try {
        throw WinLogException("Unable to start process.");
    } catch (const Exception& e) {
        caught = true;
        EXPECT_STREQ("Unable to start process.", e.GetFullMessage());
        EXPECT_NE(nullptr, dynamic_cast<const WinLogException*>(&e));
    }
    EXPECT_TRUE(caught);

    try {
        throw WinLogException("Unable to finish Task1 [x] successfully (exit code 3).");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ("Unable to finish Task1 [x] successfully (exit code 3).", e.what());
    }

    WinLogException original("w");
    WinLogException copy(original);
    EXPECT_STREQ("w", copy.GetFullMessage());
}

TEST(ExceptionTest, PlainExceptionIsNotMistakenForWinLogException) {
    try {
        throw Exception("plain");
    } catch (const WinLogException&) {
        FAIL() << "a plain Exception reached the event-log catcher";
    } catch (const Exception& e) {
        EXPECT_STREQ("plain", e.GetFullMessage());
    }
}
