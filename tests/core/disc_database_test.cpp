#include "core/disc_database.h"

#include <gtest/gtest.h>

#include <random>

#include "core/number_text.h"
#include "tests/support/message_recorder.h"
#include "tests/support/sample_catalogue.h"

namespace {

using namespace ov2::test;

COvDiscDatabase& Catalogue(COvDiscDatabase& db, std::initializer_list<const char*> numbers) {
    for (const char* n : numbers) db.AddTail(MakeDisc(n, std::string("disc ") + n));
    return db;
}

TEST(DiscDatabase, RenumberingMovesTheDiscToItsSortedPlace) {
    {
        COvDiscDatabase db;
        Catalogue(db, {"1", "2", "5", "7"});
        EXPECT_EQ(db.ChangeDiscNumber("7", "3"), "2");
        EXPECT_EQ(Numbers(db), "1 2 3 5");
        EXPECT_EQ(db.FindDisc("3")->m_strFolderTree, "3 disc 7\r\n");
    }
    {
        COvDiscDatabase db;
        Catalogue(db, {"2", "5"});
        EXPECT_EQ(db.ChangeDiscNumber("5", "1"), "0");
        EXPECT_EQ(Numbers(db), "1 2");
    }
    {  // not a positive number: to the head
        COvDiscDatabase db;
        Catalogue(db, {"2", "5"});
        EXPECT_EQ(db.ChangeDiscNumber("5", "abc"), "0");
        EXPECT_EQ(Numbers(db), "abc 2");
    }
    {  // an unknown old number changes nothing
        COvDiscDatabase db;
        Catalogue(db, {"2", "5"});
        EXPECT_EQ(db.ChangeDiscNumber("9", "1"), "0");
        EXPECT_EQ(Numbers(db), "2 5");
    }
}

TEST(DiscDatabase, RenumberingOntoANumberInUseIsRefusedWithOneMessage) {
    MessageRecorder messages;
    COvDiscDatabase db;
    Catalogue(db, {"1", "2", "5"});
    EXPECT_EQ(db.ChangeDiscNumber("5", "2"), "0");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "A CD with this number exists already.Please, enter another number."});
    EXPECT_EQ(messages.Messages()[0].buttons, ov2::MsgButtons::Ok);
    EXPECT_EQ(Numbers(db), "1 2 5");
    EXPECT_EQ(db.FindDisc("5")->m_strFolderTree, "5 disc 5\r\n");
}

// The placement rule as first written: try every k below n, in "%d" form, from n-1 down to 0.
std::string PlaceByTryingEveryNumber(COvDiscDatabase& db, std::shared_ptr<COvDisc> disc, const std::string& newNumber) {
    const int n = ParseLeadingInt(newNumber);
    for (int k = n - 1; n > 0 && k >= 0; --k) {
        if (COvDisc* previous = db.FindDisc(std::to_string(k))) {
            auto at = std::find_if(db.m_lstDiscs.begin(), db.m_lstDiscs.end(),
                                   [previous](const auto& d) { return d.get() == previous; });
            db.m_lstDiscs.insert(at + 1, disc);
            return previous->m_strNumber.str();
        }
    }
    db.m_lstDiscs.insert(db.m_lstDiscs.begin(), disc);
    return "0";
}

TEST(DiscDatabase, PlacementMatchesTryingEveryLowerNumber) {
    // Catalogues that break the usual rules too: odd texts, duplicates, unsorted lists.
    const std::vector<std::string> numbers = {"0", "1", "2", "3", "5", "8", "13", "40", "007", "+4", " 6",
                                              "-2", "abc", "9x", "", "21", "21", "60"};
    const std::vector<std::string> targets = {"1", "4", "7", "9", "14", "22", "41", "61", "100", "007", "+30",
                                              " 12", "-5", "0", "x", "10abc", "2147483647", "99999999999"};
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> chosen;
        for (const auto& n : numbers)
            if (random() % 2) chosen.push_back(n);
        std::shuffle(chosen.begin(), chosen.end(), random);
        chosen.push_back("mover");
        const std::string target = targets[random() % targets.size()];
        if (std::find(chosen.begin(), chosen.end(), target) != chosen.end()) continue;

        COvDiscDatabase actual, expected;
        for (const auto& n : chosen) {
            actual.AddTail(MakeDisc(n, ""));
            expected.AddTail(MakeDisc(n, ""));
        }
        const std::string result = actual.ChangeDiscNumber("mover", target);

        auto mover = *std::find_if(expected.m_lstDiscs.begin(), expected.m_lstDiscs.end(),
                                   [](const auto& d) { return d->m_strNumber == "mover"; });
        std::erase(expected.m_lstDiscs, mover);
        mover->m_strNumber = target;
        // The reference loop would take minutes for the largest targets; their answer is the
        // same as for any n above every number in the catalogue.
        const std::string bounded = ParseLeadingInt(target) > 1000 ? "1000" : target;
        const std::string expectedResult = PlaceByTryingEveryNumber(expected, mover, bounded);

        EXPECT_EQ(result, expectedResult) << "target " << target;
        EXPECT_EQ(Numbers(actual), Numbers(expected)) << "target " << target;
    }
}

TEST(DiscDatabase, RenumberingTouchesOnlyTheRootLine) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("7", "Holiday", {}, {"\t7 Holiday", "\t\t7 Holiday 7 Holiday"}));
    db.ChangeDiscNumber("7", "12");
    EXPECT_EQ(db.FindDisc("12")->m_strFolderTree, "12 Holiday\r\n\t7 Holiday\r\n\t\t7 Holiday 7 Holiday\r\n");
}

TEST(DiscDatabase, HugeNumbersArePlacedAtOnce) {
    COvDiscDatabase db;
    Catalogue(db, {"1", "5", "9"});
    EXPECT_EQ(db.ChangeDiscNumber("5", "2000000000"), "9");
    EXPECT_EQ(Numbers(db), "1 9 2000000000");
    EXPECT_EQ(db.ChangeDiscNumber("1", "99999999999"), "2000000000");
    EXPECT_EQ(Numbers(db), "9 2000000000 99999999999");
}

TEST(DiscDatabase, RenamingRewritesTheRootLineOnly) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("3", "Old"));
    db.AddTail(MakeDisc("12", "Photos", {}, {"\t2002", "\t\tSummer"}));
    db.SetDiscName("3", "New name");
    EXPECT_EQ(db.FindDisc("3")->m_strFolderTree, "3 New name\r\n");
    EXPECT_EQ(db.FindDisc("3")->m_strName, "New name");
    db.SetDiscName("12", "Old Photos");
    EXPECT_EQ(db.FindDisc("12")->m_strFolderTree, "12 Old Photos\r\n\t2002\r\n\t\tSummer\r\n");
    db.SetDiscName("99", "nobody");  // unknown number: nothing happens
    EXPECT_EQ(Numbers(db), "3 12");
}

TEST(DiscDatabase, NamesCannotForgeOutlineLines) {
    COvDiscDatabase db;
    db.AddTail(MakeDisc("4", "A", {}, {"\tmusic"}));
    db.SetDiscName("4", "two\r\n\tlines");
    EXPECT_EQ(db.FindDisc("4")->m_strName, "two\r\n\tlines");
    EXPECT_EQ(db.FindDisc("4")->m_strFolderTree, "4 two   lines\r\n\tmusic\r\n");
    db.ChangeDiscNumber("4", "5");
    EXPECT_EQ(db.FindDisc("5")->m_strFolderTree, "5 two   lines\r\n\tmusic\r\n");
}

TEST(DiscDatabase, RenamingRepairsAnOutlineWithoutRootLine) {
    COvDiscDatabase db;
    auto disc = MakeDisc("8", "x");
    disc->m_strFolderTree = "";
    db.AddTail(disc);
    db.SetDiscName("8", "Named");
    EXPECT_EQ(disc->m_strFolderTree, "8 Named\r\n");
}

TEST(DiscDatabase, LookupDetailsAndDeletion) {
    COvDiscDatabase db;
    Catalogue(db, {"1", "2", "2"});
    EXPECT_EQ(db.FindDisc("2"), db.m_lstDiscs[1].get());  // the first from the head
    EXPECT_FALSE(db.DiscExists("02"));
    db.SetDiscDetails("1", "Artist", "Good", "line 1\r\nline 2");
    EXPECT_EQ(db.FindDisc("1")->m_strArtist, "Artist");
    EXPECT_EQ(db.FindDisc("1")->m_strQuality, "Good");
    EXPECT_EQ(db.FindDisc("1")->m_strNotes, "line 1\r\nline 2");

    // A working copy keeps the deleted disc's file records alive.
    db.FindDisc("1")->m_lstFiles = {MakeFile("a.txt", "d:\\", "5")};
    COvDisc workingCopy = *db.FindDisc("1");
    db.DeleteDisc("1");
    db.DeleteDisc("1");  // no longer there: nothing happens
    EXPECT_EQ(Numbers(db), "2 2");
    ASSERT_EQ(workingCopy.GetCount(), 1);
    EXPECT_EQ(workingCopy.m_lstFiles[0]->m_strFileName, "a.txt");
    EXPECT_EQ(workingCopy.m_lstFiles[0].use_count(), 1);
}

}  // namespace
