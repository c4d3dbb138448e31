// The analytics folder tree on real temporary folders.
#include "CrashTestSupport.h"

#include "crash/Tally/HLYEventLog/HLYEventLogSessionRepository.h"
#include "crash/reports/HLYFileLock.h"

#include <gtest/gtest.h>

using namespace qlkit;
using Repository = HLYEventLogSessionRepository;
namespace fs = std::filesystem;

namespace {

struct Tree {
    test::TempDir root;
    Repository repository {root.path()};

    fs::path fragment(const char* state, const char* session, const char* fragment)
    {
        return *repository.sessionFragmentDirectoryURLForStateName(state, session, 1000, fragment, 2000, nullptr);
    }
    fs::path log(const fs::path& fragment, const char* name)
    {
        test::writeTextFile(fragment / name, "x\n");
        return fragment / name;
    }
};

} // namespace

TEST(SessionRepository, MakesAndRemovesFoldersWithTheirEmptiedParents)
{
    Tree tree;
    const fs::path v1 = tree.root.path() / "v1";
    fs::create_directories(v1);
    test::writeTextFile(v1 / "ACTIVE", "in the way");
    const fs::path fragment = tree.fragment("ACTIVE", "S", "F");
    EXPECT_EQ(fragment, v1 / "ACTIVE" / "1000_S" / "2000_F");
    EXPECT_TRUE(fs::is_directory(fragment));
    EXPECT_EQ(tree.repository.eventLogFileURLForStateName("ACTIVE", "S", 1000, "F", 2000, 1, nullptr), fragment / "1.log");
    KitError error;
    EXPECT_FALSE(tree.repository.eventLogFileURLForStateName("ACTIVE", "S", 1000, "F", 2000, 3, &error));

    // Packaging's way through "prep": an existing folder of the name is replaced.
    const fs::path prep = *tree.repository.prepSessionFragmentDirectoryURLForStateName("PACKAGED", fragment, nullptr);
    EXPECT_EQ(prep, v1 / "PACKAGED" / "1000_S" / "2000_F.prep");
    const fs::path packaged = v1 / "PACKAGED" / "1000_S" / "2000_F";
    fs::create_directories(packaged);
    tree.log(packaged, "old.txt");
    tree.log(prep, "1.log.zip");
    EXPECT_EQ(tree.repository.removePrepStatusFromSessionFragmentDirectoryURL(prep, nullptr), packaged);
    EXPECT_EQ(tree.repository.logFileURLsForSessionFragmentDirectory(packaged, nullptr), (Repository::URLs {packaged / "1.log.zip"}));
    EXPECT_EQ(tree.repository.removePrepStatusFromSessionFragmentDirectoryURL(packaged, &error), std::nullopt);

    // The last log takes its fragment, session and state folders along.
    const fs::path log = tree.log(fragment, "0.log");
    tree.log(fragment, "2.log");
    ASSERT_TRUE(tree.repository.removeLogFile(log, nullptr));
    EXPECT_TRUE(fs::exists(fragment));
    ASSERT_TRUE(tree.repository.removeLogFile(fragment / "2.log", nullptr));
    EXPECT_FALSE(fs::exists(v1 / "ACTIVE"));
    EXPECT_TRUE(fs::exists(packaged));
    ASSERT_TRUE(tree.repository.removeSessionFragmentDirectory(packaged, nullptr));
    EXPECT_TRUE(fs::exists(v1));
    EXPECT_TRUE(tree.repository.contentsOfDirectoryURL(v1, nullptr)->empty());
}

TEST(SessionRepository, CleanUpKeepsLogsAndWhatIsInUse)
{
    Tree tree;
    const fs::path open = tree.fragment("ACTIVE", "S", "OPEN");
    const fs::path closedEmpty = tree.fragment("ACTIVE", "S", "EMPTY");
    const fs::path closed = tree.fragment("ACTIVE", "S", "CLOSED");
    tree.log(closed, "1.log.zip"); // listed as a log wherever it lies
    tree.log(closed, "notes.txt");
    fs::create_directories(closed / "0.log");
    const fs::path held = tree.fragment("PACKAGED", "T", "SENDING");
    auto lock = HLYFileLock::tryLock(held, true);
    ASSERT_TRUE(lock);
    const fs::path stale = tree.fragment("PACKAGED", "U", "GONE");
    fs::create_directories(tree.root.path() / "v1" / "pending");

    ASSERT_TRUE(tree.repository.cleanUpEventLogRepositoryIgnorningSessionFragmentDirectoryURL(open, nullptr));
    EXPECT_TRUE(fs::is_directory(open));
    EXPECT_FALSE(fs::exists(closedEmpty));
    EXPECT_EQ(tree.repository.contentsOfDirectoryURL(closed, nullptr), (Repository::URLs {closed / "1.log.zip"}));
    EXPECT_TRUE(fs::is_directory(held));
    EXPECT_FALSE(fs::exists(stale.parent_path()));
    EXPECT_FALSE(fs::exists(tree.root.path() / "v1" / "pending"));
    EXPECT_EQ(*tree.repository.logFileURLsForAllStates(nullptr), (Repository::URLs {closed / "1.log.zip"}));

    // Nothing left: "v1" itself stays.
    lock.reset();
    ASSERT_TRUE(tree.repository.removeSessionFragmentDirectory(closed, nullptr));
    ASSERT_TRUE(tree.repository.cleanUpEventLogRepositoryIgnorningSessionFragmentDirectoryURL("/nowhere", nullptr));
    EXPECT_TRUE(tree.repository.contentsOfDirectoryURL(tree.root.path() / "v1", nullptr)->empty());
}

// Another running instance works in the tree while a clean-up runs: what it
// makes after the clean-up's listing stays, and what it takes away does not
// count as removed by the clean-up.
TEST(SessionRepository, WhatAnotherInstanceDoesDuringACleanUpIsLeftToIt)
{
    Tree tree;
    const fs::path active = tree.root.path() / "v1" / "ACTIVE";
    const fs::path closed = tree.fragment("ACTIVE", "S", "CLOSED");
    fs::path newcomer;
    std::unique_ptr<HLYFileLock> newcomerLock;
    bool stateGoes = true;
    ASSERT_TRUE(tree.repository.cleanUpDirectoryURL(active, &stateGoes, nullptr, [&](const fs::path& session, bool* goes,
                                                                                    KitError* error) {
        if (!tree.repository.cleanUpSessionDirectoryURL(session, "/nowhere", goes, error))
            return false;
        EXPECT_TRUE(*goes); // judged empty from its listing
        newcomer = tree.fragment("ACTIVE", "S", "NEW");
        newcomerLock = HLYFileLock::tryLock(newcomer, true);
        tree.log(newcomer, "2.log");
        return true;
    }));
    EXPECT_FALSE(fs::exists(closed));
    EXPECT_TRUE(newcomerLock);
    EXPECT_TRUE(fs::exists(newcomer / "2.log"));
    EXPECT_FALSE(stateGoes);

    // A fragment packaged away after the listing keeps its session.
    const fs::path first = tree.fragment("PACKAGED", "T", "A");
    const fs::path second = tree.fragment("PACKAGED", "T", "B");
    bool sessionGoes = true;
    ASSERT_TRUE(tree.repository.cleanUpDirectoryURL(first.parent_path(), &sessionGoes, nullptr,
                                                    [&](const fs::path& fragment, bool* goes, KitError* error) {
                                                        fs::remove_all(second);
                                                        return tree.repository.cleanUpSessionFragmentDirectoryURL(
                                                            fragment, goes, error);
                                                    }));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(sessionGoes);

    // Locks are made only inside a real folder still at its path.
    EXPECT_FALSE(HLYFileLock::tryLock(second, true));
    EXPECT_FALSE(fs::exists(fs::symlink_status(second)));
    test::writeTextFile(tree.root.path() / "plain", "x\n");
    EXPECT_FALSE(HLYFileLock::tryLock(tree.root.path() / "plain", true));

    // A fragment another process holds is not removed.
    const fs::path held = tree.fragment("PACKAGED", "T", "HELD");
    const auto holder = crashtest::holdLockInAnotherProcess(held / ".lock");
    ASSERT_TRUE(holder);
    KitError error;
    EXPECT_FALSE(tree.repository.removeSessionFragmentDirectory(held, &error));
    EXPECT_EQ(error.code, EBUSY);
    EXPECT_TRUE(fs::is_directory(held));

    // What a removal left aside goes once its process has ended, not before.
    const fs::path packagedState = tree.root.path() / "v1" / "PACKAGED";
    const fs::path leftover = packagedState / "1000_U" / ".removing.999999999.1.2000_X";
    const fs::path ongoing = packagedState / "1000_V" / (".removing." + std::to_string(::getpid()) + ".1.2000_Y");
    for (const auto& aside : {leftover, ongoing}) {
        fs::create_directories(aside);
        tree.log(aside, "0.log");
    }
    ASSERT_TRUE(tree.repository.cleanUpEventLogRepositoryIgnorningSessionFragmentDirectoryURL("/nowhere", nullptr));
    EXPECT_FALSE(fs::exists(leftover.parent_path()));
    EXPECT_TRUE(fs::exists(ongoing / "0.log"));
}
