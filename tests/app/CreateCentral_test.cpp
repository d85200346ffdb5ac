#include <gtest/gtest.h>

#include "app/CreateCentral.h"

namespace {

TEST(CreateCentral, SimulatedSensorCountFromTheCommandLine) {
    const std::pair<QStringList, int> cases[] = {
        {{"tq580"}, 0},
        {{"tq580", "--simulate"}, DefaultSimulatedSensors},
        {{"tq580", "--simulate=5"}, 5},
        {{"tq580", "--simulate=30"}, 30},
        {{"tq580", "--simulate=0"}, -1},
        {{"tq580", "--simulate=31"}, -1},
        {{"tq580", "--simulate=many"}, -1},
        {{"--simulate"}, 0},  // the program's own name is not an option
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        EXPECT_EQ(SimulatedSensorCount(arguments), expected);
    }
}

// Without a radio the program must say how to run it anyway.
TEST(CreateCentral, WithoutAnAdapterTheReasonNamesTheSimulatedMode) {
    const auto central = CreateCentral({"tq580"});
    EXPECT_TRUE(central->UnusableReason().contains("--simulate"));
    QString error;
    EXPECT_FALSE(central->DiscoverDevices(5000, &error));
    EXPECT_EQ(error, central->UnusableReason());
}

}  // namespace
