// r730ctl monitor: arrivals, removals and connection switches, printed as they
// happen, in this process and through the program.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <map>
#include <sstream>

#include "cli/device_monitor.h"
#include "sim/sim_device.h"
#include "tests/cli/line_reader.h"
#include "tests/cli/run_program.h"
#include "tests/cli/running_program.h"

namespace {

using Lines = std::vector<std::string>;

// The line of an interface of the mouse, by entry, without its path.
std::string EntryHead(char sign, int index) {
    static const std::map<int, std::string> kEntries = {
        {4, "mouse command 320f:226e mi 1 col 2 cable"},
        {5, "mouse companion 320f:226e mi 0 col 3 cable"},
        {6, "mouse command 320f:226f mi 1 col 2 receiver"},
        {7, "mouse companion 320f:226f mi 0 col 3 receiver"}};
    return std::string(1, sign) + " " + std::to_string(index) + " " + kEntries.at(index);
}

std::string Entry(char sign, int index, const std::string& path) {
    return EntryHead(sign, index) + " " + path;
}

TEST(DeviceMonitor, PrintsEachChangeInTheOrderItHappens) {
    OutputPipe pipe;
    SimulatedDevice mouse(SimKind::Mouse, {});
    SimulatedReceiver receiver(mouse);
    DeviceMonitor monitor(pipe.Writer());
    monitor.Start();

    ASSERT_TRUE(mouse.PlugCable());
    std::string command = mouse.Cable().CommandPath(), companion = mouse.Cable().CompanionPath();
    EXPECT_EQ(pipe.Lines().Take(2), (Lines{Entry('+', 4, command), Entry('+', 5, companion)}));

    ASSERT_TRUE(receiver.Plug());  // on the cable it stays
    const std::string radio = receiver.Connection().CommandPath();
    const std::string radioCompanion = receiver.Connection().CompanionPath();
    EXPECT_EQ(pipe.Lines().Take(2), (Lines{Entry('+', 6, radio), Entry('+', 7, radioCompanion)}));

    mouse.UnplugCable();  // the receiver stays: the mouse moves to it
    EXPECT_EQ(pipe.Lines().Take(3), (Lines{Entry('-', 4, command), "~ mouse cable -> receiver",
                                           Entry('-', 5, companion)}));

    ASSERT_TRUE(mouse.PlugCable());  // and back
    command = mouse.Cable().CommandPath();
    companion = mouse.Cable().CompanionPath();
    EXPECT_EQ(pipe.Lines().Take(3), (Lines{Entry('+', 4, command), "~ mouse receiver -> cable",
                                           Entry('+', 5, companion)}));

    receiver.Unplug();
    EXPECT_EQ(pipe.Lines().Take(2), (Lines{Entry('-', 6, radio), Entry('-', 7, radioCompanion)}));
    mouse.UnplugCable();
    EXPECT_EQ(pipe.Lines().Take(2), (Lines{Entry('-', 4, command), Entry('-', 5, companion)}));

    monitor.Stop();
    ASSERT_TRUE(mouse.PlugCable());
    EXPECT_EQ(pipe.Lines().Next(200), std::nullopt);  // nothing after Stop
}

TEST(R730ctlMonitor, SimulatedDevicesArriveFirstAndTheRunEndsOnTime) {
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = RunProgram(R730CTL, {"--simulate=mouse@both", "monitor", "--for", "1"});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::istringstream text(run.out);
    Lines lines;
    for (std::string line; std::getline(text, line);) lines.push_back(WithoutPath(line));
    EXPECT_EQ(lines, (Lines{EntryHead('+', 4), EntryHead('+', 5), EntryHead('+', 6),
                            EntryHead('+', 7)}));
    EXPECT_GE(took, std::chrono::milliseconds(1000));
    EXPECT_LT(took, std::chrono::seconds(10));
}

TEST(R730ctlMonitor, SigintAndSigtermEndTheRunNormally) {
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        TempFolder folder;
        const std::string state = folder.File("state.json");
        RunningProgram program(R730CTL, {"--simulate=headset", "--sim-state", state, "monitor"});
        // Each line reaches the pipe as it is printed.
        const std::optional<std::string> first = program.Out().Next(5000);
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(WithoutPath(*first), "+ 10 headset command 0c76:1630 mi 3 col 0 cable");
        ASSERT_TRUE(program.Signal(signal));
        const ProgramRun run = program.Wait();
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(folder.Names(), Lines{"state.json"});  // the run ended as runs end: state saved
    }
}

}  // namespace
