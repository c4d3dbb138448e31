// Test main for the suites without Qt: a home folder of the run's own, and
// every test checked for leaving the environment as it found it.
#include "EnvironmentCheck.h"
#include "TemporaryHome.h"

int main(int argc, char* argv[])
{
    const ql::testing::TemporaryHome home;
    ::testing::InitGoogleTest(&argc, argv);
    // Appended last, so that it reports before the printer says how the test went.
    ::testing::UnitTest::GetInstance()->listeners().Append(new ql::testing::EnvironmentCheck);
    return RUN_ALL_TESTS();
}
