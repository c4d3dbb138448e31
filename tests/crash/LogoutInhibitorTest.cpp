// Holding off logout while a report is processed, against a stand-in login
// manager (login-standin) on a bus of the test's own (dbus-daemon).
#include "CrashTestSupport.h"
#include "crash/kit/HLYLogoutInhibitor.h"

#include <csignal>
#include <gtest/gtest.h>

using namespace qlkit;
using namespace qlkit::crashtest;

namespace {

// A message bus that lets its one user do anything, listening in the folder.
class PrivateBus {
public:
    explicit PrivateBus(const std::filesystem::path& folder)
        : m_address("unix:path=" + (folder / "bus").string()), m_daemon(start(folder, m_address))
    {
        m_ready = m_daemon.waitForLineStartingWith(m_address + ",").has_value();
    }
    bool ready() const { return m_ready; }
    const std::string& address() const { return m_address; }

private:
    static std::vector<std::string> start(const std::filesystem::path& folder, const std::string& address)
    {
        const auto config = folder / "bus.conf";
        test::writeTextFile(config, "<busconfig><listen>" + address + "</listen><auth>EXTERNAL</auth>"
                                    "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                    "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        return {"dbus-daemon", "--config-file=" + config.string(), "--nofork", "--print-address"};
    }

    std::string m_address;
    BackgroundProcess m_daemon;
    bool m_ready = false;
};

// The stand-in's lines so far. A last lock of its own, taken after every
// earlier one was let go, comes after their "released" lines: the stand-in
// notes hang-ups before it reads the next call.
std::string linesAfterAFinalLock(BackgroundProcess& manager, const std::string& address)
{
    HLYLogoutInhibitor last(address);
    last.begin("the test ends");
    EXPECT_TRUE(last.holdsLock());
    manager.signal(SIGTERM);
    return manager.wait().out;
}

} // namespace

TEST(LogoutInhibitor, HoldsOneDelayLockWhileAnyHoldIsTakenAndNothingWithoutALoginManager)
{
    TempFolder folder;
    HLYLogoutInhibitor noBus("unix:path=" + (folder.path() / "none").string());
    noBus.begin("nothing");
    EXPECT_FALSE(noBus.holdsLock());
    noBus.end();

    PrivateBus bus(folder.path());
    ASSERT_TRUE(bus.ready());
    HLYLogoutInhibitor inhibitor(bus.address());
    inhibitor.begin("no login manager yet");
    EXPECT_FALSE(inhibitor.holdsLock());
    inhibitor.end();

    BackgroundProcess manager({toolPath("login-standin"), bus.address()});
    ASSERT_TRUE(manager.waitForLine("ready"));
    inhibitor.begin("Halyard Crash Report Processing");
    EXPECT_TRUE(inhibitor.holdsLock());
    inhibitor.begin("a second hold");
    inhibitor.end();
    EXPECT_TRUE(inhibitor.holdsLock());
    inhibitor.end();
    EXPECT_FALSE(inhibitor.holdsLock());
    inhibitor.end(); // one end too many holds nothing back
    inhibitor.begin("again");
    inhibitor.end();

    EXPECT_EQ(linesAfterAFinalLock(manager, bus.address()),
              "ready\n"
              "inhibit 1 shutdown:sleep|crash_tests|Halyard Crash Report Processing|delay\n"
              "released 1\n"
              "inhibit 2 shutdown:sleep|crash_tests|again|delay\n"
              "released 2\n"
              "inhibit 3 shutdown:sleep|crash_tests|the test ends|delay\n");
}

TEST(LogoutInhibitor, TheSystemBusLoginManagerDelaysLogoutWhileAReportIsProcessed)
{
    TempFolder folder;
    PrivateBus bus(folder.path());
    ASSERT_TRUE(bus.ready());
    BackgroundProcess manager({toolPath("login-standin"), bus.address()});
    ASSERT_TRUE(manager.waitForLine("ready"));

    runProbe(folder.path(), "segv");
    runProbe(folder.path(), "send", {"DBUS_SYSTEM_BUS_ADDRESS=" + bus.address()});
    EXPECT_EQ(linesAfterAFinalLock(manager, bus.address()),
              "ready\n"
              "inhibit 1 shutdown:sleep|crash-probe|Halyard Crash Report Processing|delay\n"
              "released 1\n"
              "inhibit 2 shutdown:sleep|crash_tests|the test ends|delay\n");
}
