#include "georef/Segments.h"

#include <gtest/gtest.h>

#include <limits>

namespace cz {
namespace {

struct CrossingCase {
  const char* name;
  PixelPoint p1, p2, p3, p4;
  bool found;
  PixelPoint point;
};

class IntersectSegmentsTable : public ::testing::TestWithParam<CrossingCase> {};

TEST_P(IntersectSegmentsTable, FindsTheCrossingOrNothing) {
  const CrossingCase& c = GetParam();
  const SegmentCrossing crossing = IntersectSegments(c.p1, c.p2, c.p3, c.p4);
  EXPECT_EQ(crossing.Found, c.found);
  EXPECT_EQ(crossing.Point, c.point);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, IntersectSegmentsTable,
    ::testing::Values(
        CrossingCase{"Diagonals", {0, 0}, {10, 10}, {10, 0}, {0, 10}, true, {5, 5}},
        // The crossing at x = 3.67 rounds to the nearest pixel.
        CrossingCase{"RoundsThePoint", {0, 0}, {10, 0}, {3, -6}, {4, 3}, true, {4, 0}},
        // 2.5 rounds to even.
        CrossingCase{"TiesToEven", {0, 0}, {5, 0}, {0, -1}, {5, 1}, true, {2, 0}},
        CrossingCase{"MissesBeyondTheEnd", {0, 0}, {10, 0}, {20, -5}, {20, 5}, false, {0, 0}},
        CrossingCase{"MissesBeforeTheStart", {0, 0}, {10, 0}, {-1, -5}, {-1, 5}, false, {0, 0}},
        CrossingCase{"Parallel", {0, 0}, {10, 0}, {0, 5}, {10, 5}, false, {0, 0}},
        CrossingCase{"Colinear", {0, 0}, {10, 0}, {5, 0}, {20, 0}, false, {0, 0}},
        CrossingCase{"Coincident", {0, 0}, {10, 10}, {0, 0}, {10, 10}, false, {0, 0}},
        // The far end of p1–p2 (na = den) counts whatever the sign of den.
        CrossingCase{"AtTheFarEnd", {0, 0}, {10, 0}, {10, -5}, {10, 5}, true, {10, 0}},
        CrossingCase{"AtTheFarEndNegativeDen", {0, 0}, {10, 0}, {10, 5}, {10, -5}, true, {10, 0}},
        // At the start of p1–p2 na is 0: it counts only when den is positive.
        CrossingCase{"AtTheStartPositiveDen", {0, 0}, {10, 0}, {0, -5}, {0, 5}, true, {0, 0}},
        CrossingCase{"AtTheStartNegativeDen", {0, 0}, {10, 0}, {0, 5}, {0, -5}, false, {0, 0}},
        CrossingCase{"ExtremeCoordinates",
                     {std::numeric_limits<std::int32_t>::min(), 0},
                     {std::numeric_limits<std::int32_t>::max(), 0},
                     {0, std::numeric_limits<std::int32_t>::min()},
                     {0, std::numeric_limits<std::int32_t>::max()},
                     true,
                     {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExtendCase {
  const char* name;
  PixelPoint a, p;
  PixelPoint expected;
};

class ExtendSegmentTable : public ::testing::TestWithParam<ExtendCase> {};

TEST_P(ExtendSegmentTable, MovesFurtherAlongTheLine) {
  const ExtendCase& c = GetParam();
  PixelPoint p = c.p;
  ExtendSegment(c.a, p, 1000);
  EXPECT_EQ(p, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, ExtendSegmentTable,
    ::testing::Values(
        // Steep lines step d in y: s = 0.1.
        ExtendCase{"SteepDownward", {0, 0}, {10, 100}, {110, 1100}},
        ExtendCase{"SteepUpward", {10, 100}, {0, 0}, {-100, -1000}},
        // A line leaning left going up (a left edge meridian under a negative skew).
        ExtendCase{"SteepUpwardLeaningRight", {0, 600}, {30, 0}, {80, -1000}},
        // Flat lines (|s| >= 1) step d in x, away from a.
        ExtendCase{"FlatToTheRight", {0, 0}, {100, 10}, {1100, 110}},
        ExtendCase{"FlatToTheLeft", {100, 10}, {0, 0}, {-1000, -100}},
        ExtendCase{"FlatToTheLeftUpward", {0, 100}, {-400, 0}, {-1400, -250}},
        ExtendCase{"Horizontal", {0, 5}, {10, 5}, {1010, 5}},
        ExtendCase{"HorizontalToTheLeft", {10, 5}, {0, 5}, {-1000, 5}},
        ExtendCase{"SamePointStays", {7, 7}, {7, 7}, {7, 7}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtendSegmentTest, DefaultDistanceIsFiveHundredThousandPixels) {
  PixelPoint p{0, 600};
  ExtendSegment({0, 0}, p);
  EXPECT_EQ(p, (PixelPoint{0, 500600}));
}

}  // namespace
}  // namespace cz
