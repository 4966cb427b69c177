// r730ctl interfaces: the entries of the interface list one discovery pass claims.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <json/json.h>

#include "cli/interfaces_command.h"
#include "link/supported_devices.h"
#include "sim/sim_world.h"
#include "tests/cli/capture_output.h"
#include "tests/cli/run_program.h"

namespace {

Json::Value ParseJson(const std::string& text) {
    Json::Value root;
    std::istringstream in(text);
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &root, &errors))
        << errors << text;
    return root;
}

Captured RunInterfaces(bool json) {
    return CaptureOutput(
        [&](std::FILE* out, std::FILE* err) { return RunInterfacesCommand(out, err, json); });
}

TEST(InterfacesCommand, JsonHasOneObjectPerClaimedEntry) {
    SimulatedDevice mouse(SimKind::Mouse, {}), keyboard(SimKind::Keyboard, {});
    SimulatedReceiver receiver(mouse);
    ASSERT_TRUE(mouse.PlugCable());
    ASSERT_TRUE(keyboard.PlugCable());
    ASSERT_TRUE(receiver.Plug());
    const Captured run = RunInterfaces(true);
    ASSERT_EQ(run.code, 0) << run.err;
    const Json::Value entries = ParseJson(run.out);
    ASSERT_TRUE(entries.isArray());

    const std::map<int, std::string> paths = {
        {0, keyboard.Cable().CommandPath()},   {1, keyboard.Cable().CompanionPath()},
        {4, mouse.Cable().CommandPath()},      {5, mouse.Cable().CompanionPath()},
        {6, receiver.Connection().CommandPath()}, {7, receiver.Connection().CompanionPath()}};
    std::vector<int> indexes;
    for (const Json::Value& e : entries) {
        const char* fields[] = {"index", "vendor_id", "product_id", "interface", "collection",
                                "type",  "role",      "usage_page", "usage"};
        for (const char* f : fields) ASSERT_TRUE(e[f].isInt()) << f << " in " << e;
        const int index = e["index"].asInt();
        indexes.push_back(index);
        SCOPED_TRACE(index);
        ASSERT_LT(index, static_cast<int>(kInterfaceCount));
        const InterfaceRow& row = kInterfaceTable[static_cast<size_t>(index)];
        EXPECT_EQ(e["vendor_id"].asInt(), row.vendorId);
        EXPECT_EQ(e["product_id"].asInt(), row.productId);
        EXPECT_EQ(e["interface"].asInt(), row.interfaceNumber);
        EXPECT_EQ(e["collection"].asInt(), row.collectionNumber);
        EXPECT_EQ(e["type"].asInt(), row.deviceType);
        EXPECT_EQ(e["role"].asInt(), row.role);
        EXPECT_EQ(e["usage_page"].asInt(), row.usagePage);
        EXPECT_EQ(e["usage"].asInt(), row.usage);
        EXPECT_EQ(e["path"].asString(), paths.at(index));
    }
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 4, 5, 6, 7}));
}

TEST(InterfacesCommand, HumanTableAndEmptyList) {
    const Captured none = RunInterfaces(false);
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.out, "no supported interfaces found\n");
    EXPECT_EQ(ParseJson(RunInterfaces(true).out), Json::Value(Json::arrayValue));

    SimulatedDevice headset(SimKind::Headset, {});
    ASSERT_TRUE(headset.PlugCable());
    const Captured run = RunInterfaces(false);
    EXPECT_EQ(run.code, 0);
    std::istringstream lines(run.out);
    std::string header, row, extra;
    std::getline(lines, header);
    std::getline(lines, row);
    EXPECT_EQ(header.rfind("Index", 0), 0u) << run.out;
    EXPECT_EQ(row, "   10  headset   command    cable       0c76:1630   3    0     7  000c:0001  " +
                       headset.Cable().CommandPath());
    EXPECT_FALSE(std::getline(lines, extra)) << run.out;
}

TEST(R730ctlInterfaces, SimulatedEntriesThroughTheProgram) {
    const ProgramRun run =
        RunProgram(R730CTL, {"--simulate=keyboard@both", "interfaces", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::pair<int, int>> indexAndType;
    for (const Json::Value& e : ParseJson(run.out))
        indexAndType.emplace_back(e["index"].asInt(), e["type"].asInt());
    // The keyboard's cable and receiver share ids: each takes its own entries.
    EXPECT_EQ(indexAndType, (std::vector<std::pair<int, int>>{{0, 1}, {1, 1}, {2, 9}, {3, 9}}));
}

}  // namespace
