#include <gtest/gtest.h>

#include "app/CreateCentral.h"

namespace {

struct CountCase {
    const char* name;
    QStringList arguments;
    int expected;  // 0: the real radio, -1: refused
};

class SimulateOption : public ::testing::TestWithParam<CountCase> {};

TEST_P(SimulateOption, SensorCountFromTheCommandLine) {
    EXPECT_EQ(SimulatedSensorCount(GetParam().arguments), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SimulateOption,
    ::testing::Values(CountCase{"NoOption", {"tq580"}, 0},
                      CountCase{"SimulateAlone", {"tq580", "--simulate"}, DefaultSimulatedSensors},
                      CountCase{"Five", {"tq580", "--simulate=5"}, 5},
                      CountCase{"Thirty", {"tq580", "--simulate=30"}, 30},
                      CountCase{"Zero", {"tq580", "--simulate=0"}, -1},
                      CountCase{"ThirtyOne", {"tq580", "--simulate=31"}, -1},
                      CountCase{"NotANumber", {"tq580", "--simulate=many"}, -1},
                      // the program's own name is not an option
                      CountCase{"OptionAsProgramName", {"--simulate"}, 0}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

// Without a radio the program must say how to run it anyway.
TEST(CreateCentral, WithoutAnAdapterTheReasonNamesTheSimulatedMode) {
    const auto central = CreateCentral({"tq580"});
    EXPECT_TRUE(central->UnusableReason().contains("--simulate"));
    QString error;
    EXPECT_FALSE(central->DiscoverDevices(5000, &error));
    EXPECT_EQ(error, central->UnusableReason());
}

}  // namespace
