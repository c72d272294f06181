#include "core/health/GuessTime.h"

#include <gtest/gtest.h>
#include <limits>

namespace velmora {
namespace {

struct TimeCase
{
    double seconds;
    GuessTime::Unit unit;
    std::uint64_t count;
};

class GuessTimeTable : public testing::TestWithParam<TimeCase>
{};

TEST_P(GuessTimeTable, TakesTheLargestUnitThatFits)
{
    const TimeCase& c = GetParam();
    const GuessTime time = GuessTimeOf(c.seconds);
    EXPECT_EQ(time.unit, c.unit) << c.seconds;
    EXPECT_EQ(time.count, c.count) << c.seconds;
}

using Unit = GuessTime::Unit;
constexpr double kYear = 365.25 * 86400;

INSTANTIATE_TEST_SUITE_P(
    Times, GuessTimeTable,
    testing::Values(TimeCase{0, Unit::LessThanASecond, 0}, TimeCase{0.99, Unit::LessThanASecond, 0},
                    TimeCase{1, Unit::Seconds, 1}, TimeCase{59.9, Unit::Seconds, 59}, TimeCase{60, Unit::Minutes, 1},
                    TimeCase{3599, Unit::Minutes, 59}, TimeCase{7200, Unit::Hours, 2},
                    TimeCase{86400 * 3.5, Unit::Days, 3}, TimeCase{kYear - 1, Unit::Days, 365},
                    TimeCase{kYear * 21, Unit::Years, 21}, TimeCase{kYear * 100, Unit::Centuries, 1},
                    TimeCase{kYear * 1e8 * 0.99, Unit::Centuries, 990000},
                    TimeCase{kYear * 1e8, Unit::MillionsOfCenturies, 0},
                    TimeCase{std::numeric_limits<double>::infinity(), Unit::MillionsOfCenturies, 0}));

} // namespace
} // namespace velmora
