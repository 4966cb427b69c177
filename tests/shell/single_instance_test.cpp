// One running program per user: a second start raises the first and ends with 0.
#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QProcess>

#include "shell/single_instance.h"
#include "tests/shell/shell_test_support.h"

namespace {

TEST(SingleInstance, SecondClaimRaisesTheFirst) {
    SingleInstance first("r730-test-instance");
    ASSERT_TRUE(first.Claim());
    int raised = 0;
    QObject::connect(&first, &SingleInstance::raiseRequested, [&] { ++raised; });
    {
        SingleInstance second("r730-test-instance");
        EXPECT_FALSE(second.Claim());
    }
    EXPECT_TRUE(WaitFor([&] { return raised == 1; }));
}

TEST(SingleInstance, SecondProgramExitsWithZeroAndTheFirstKeepsRunning) {
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(R730CFG, {"--simulate=mouse"});
    ASSERT_TRUE(first.waitForStarted(5000));
    // The first is up once its socket answers.
    ASSERT_TRUE(WaitFor([] {
        QLocalSocket probe;
        probe.connectToServer(DefaultInstanceKey());
        return probe.waitForConnected(100);
    }, 10000));

    QProcess second;
    second.start(R730CFG, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.terminate();
    first.waitForFinished(5000);
}

}  // namespace
