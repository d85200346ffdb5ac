#include <gtest/gtest.h>

#include <QByteArray>

#include "network/MarkLine.h"

namespace {

struct LineCase {
    const char* name;
    QByteArray line;
    int event;  // 0: no mark
};

class MarkLineCases : public ::testing::TestWithParam<LineCase> {};

TEST_P(MarkLineCases, ParsesOrRefuses) {
    const MarkLine parsed = ParseMarkLine(GetParam().line);
    EXPECT_EQ(parsed.event, GetParam().event);
    EXPECT_EQ(parsed.error.isEmpty(), GetParam().event != 0) << parsed.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MarkLineCases,
    ::testing::Values(LineCase{"StartOne", "S1", 1}, LineCase{"StartNine", "S9", 9}, LineCase{"EndThree", "E3", -3},
                      LineCase{"CarriageReturnBeforeLineFeed", "E9\r", -9}, LineCase{"Empty", "", 0},
                      LineCase{"OnlyCarriageReturn", "\r", 0}, LineCase{"Zero", "S0", 0},
                      LineCase{"TwoDigits", "S10", 0}, LineCase{"LowerCase", "s3", 0},
                      LineCase{"LeadingSpace", " S3", 0}, LineCase{"TrailingSpace", "S3 ", 0},
                      LineCase{"TwoCarriageReturns", "S3\r\r", 0}, LineCase{"NulInside", QByteArray("S\0", 2), 0},
                      LineCase{"OtherLetter", "X3", 0}, LineCase{"HighByte", "S\xb3", 0}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// Of every line of one or two bytes, exactly the eighteen marks are taken.
TEST(MarkLine, EveryShortLineButTheEighteenMarksIsRefused) {
    int marks = 0;
    for (int first = 0; first < 256; ++first) {
        EXPECT_EQ(ParseMarkLine(QByteArray(1, char(first))).event, 0);
        for (int second = 0; second < 256; ++second) {
            QByteArray line(1, char(first));
            line.append(char(second));
            const int event = ParseMarkLine(line).event;
            if (event == 0) continue;
            ++marks;
            EXPECT_EQ(std::abs(event), second - '0');
            EXPECT_EQ(event > 0, first == 'S');
        }
    }
    EXPECT_EQ(marks, 18);
}

}  // namespace
