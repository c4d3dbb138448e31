#include "SdkTestSupport.h"

#include "sdk/HLYUserDefaults.h"
#include "sdk/foundation/Plist.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace qlkit;

TEST(HLYUserDefaults, KeepsValuesOfEveryKindAcrossInstances)
{
    test::TempDir dir;
    {
        HLYUserDefaults store(dir.path() / "store");
        store.setObject(Value(5), "number");
        store.setString("text", "string");
        store.setBool(true, "flag");
        store.setObject(Value(Bytes {1, 2, 3}), "bytes");
        store.setObject(Value(Date {1600000000}), "date");
        store.setString("gone", "removed");
        store.setObject(std::nullopt, "removed");
        EXPECT_EQ(store.stringForKey("number"), std::nullopt);
        EXPECT_FALSE(store.boolForKey("string"));
        EXPECT_TRUE(store.boolForKey("flag"));
        EXPECT_FALSE(std::filesystem::exists(store.fileURL())); // nothing written before synchronize
        store.synchronize();
    }
    HLYUserDefaults again(dir.path() / "store");
    EXPECT_EQ(again.dictionaryRepresentation(),
              (Map {{"number", 5}, {"string", "text"}, {"flag", true}, {"bytes", Bytes {1, 2, 3}},
                    {"date", Date {1600000000}}}));
    again.removeAllObjects();
    EXPECT_TRUE(again.dictionaryRepresentation().empty());
}

TEST(HLYUserDefaults, ReplacesAFolderOrDamagedFileWhereItsFileBelongs)
{
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "store" / "HLYUserDefaults.plist" / "inner");
    {
        HLYUserDefaults store(dir.path() / "store");
        EXPECT_TRUE(store.dictionaryRepresentation().empty());
        EXPECT_FALSE(std::filesystem::exists(store.fileURL()));
        store.setString("v", "k");
        store.synchronize();
        EXPECT_TRUE(std::filesystem::is_regular_file(store.fileURL()));
    }
    test::writeTextFile(dir.path() / "store" / "HLYUserDefaults.plist", "<plist><dict><key>");
    HLYUserDefaults damaged(dir.path() / "store");
    EXPECT_TRUE(damaged.dictionaryRepresentation().empty());
}

TEST(HLYUserDefaults, IsSafeFromManyThreads)
{
    test::TempDir dir;
    HLYUserDefaults store(dir.path());
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                store.setObject(Value(i), "k" + std::to_string(t));
                if (i % 50 == 0)
                    store.synchronize();
            }
        });
    for (auto& thread : threads)
        thread.join();
    store.synchronize();
    HLYUserDefaults reread(dir.path());
    EXPECT_EQ(reread.dictionaryRepresentation().size(), 8u);
    EXPECT_EQ(*reread.objectForKey("k3"), Value(199));
}

TEST(HLYUserDefaults, PersistsAcrossProcessesAndSurvivesAKillWhileWriting)
{
    test::KitHome home;
    ASSERT_EQ(test::run({test::probePath(), "defaults-set", "greeting", "hello"}).exitCode, 0);
    EXPECT_EQ(test::run({test::probePath(), "defaults-get", "greeting"}).output, "hello\n");
    const auto file = home.path() / "data" / "org.quiverleaf.rigging" / "HLYUserDefaults.plist";
    ASSERT_TRUE(std::filesystem::exists(file));

    for (int round = 0; round < 12; ++round) {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            execl(test::probePath().c_str(), "sdk-probe", "defaults-hammer", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char ready[6] = {};
        ASSERT_EQ(read(out[0], ready, 6), 6); // the first full write is done
        usleep(useconds_t(1000 + round * 2500));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(out[0]);

        const auto parsed = plist::parseXml(test::readTextFile(file));
        ASSERT_TRUE(parsed && parsed->asMap()) << "round " << round;
        EXPECT_EQ(*parsed->asMap()->find("greeting"), Value("hello"));
        EXPECT_TRUE(parsed->asMap()->find("round"));
    }
    // An independent reader agrees.
    EXPECT_EQ(test::run({test::python(), "-c",
                         "import plistlib,sys; print(plistlib.load(open(sys.argv[1],'rb'))['greeting'])",
                         file.string()})
                  .output,
              "hello\n");
}
