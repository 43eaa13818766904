#include <gtest/gtest.h>

#include "sim/DetectionAccuracy.h"
#include "sim/ScenarioGenerator.h"

namespace fw::sim {
namespace {

DetectionAccuracy Measure(int interval, double noise, DetectionRule rule) {
    static const Scenario base = GenerateScenario(1, "2026-12-07");
    Scenario sc = base;
    sc.track.intervalSeconds = interval;
    sc.track.noiseMetres = noise;
    DetectionOptions options;
    options.rule = rule;
    return MeasureDetection(sc, options);
}

// The figures the README promises, at fixes every 30 s with 10 m of noise.
TEST(DetectionAccuracy, InterpolatedRuleMeetsItsTargetsWhereTheFirstFixRuleLags) {
    const DetectionAccuracy precise = Measure(30, 10, DetectionRule::Interpolated);
    const DetectionAccuracy original = Measure(30, 10, DetectionRule::FirstFix);
    ASSERT_GT(precise.visits, 1000u);
    EXPECT_EQ(precise.visits, original.visits);
    EXPECT_GE(precise.DetectedShare(), 0.99);
    EXPECT_EQ(precise.falseEvents, 0u);
    EXPECT_LE(DetectionAccuracy::Mean(precise.arrivalErrors), 5.0);
    EXPECT_LE(DetectionAccuracy::Mean(precise.departureErrors), 5.0);
    // The first-fix rule is late by about half an interval.
    EXPECT_GT(DetectionAccuracy::Mean(original.arrivalErrors), 10.0);
}

// A fix a minute: many stops fall between two fixes, which only the interpolated rule sees.
TEST(DetectionAccuracy, StopsPassedBetweenTwoFixesAreFoundOnlyByTheInterpolatedRule) {
    const DetectionAccuracy precise = Measure(60, 0, DetectionRule::Interpolated);
    const DetectionAccuracy original = Measure(60, 0, DetectionRule::FirstFix);
    EXPECT_LT(original.DetectedShare(), 0.9);
    EXPECT_GE(precise.DetectedShare(), 0.99);
    EXPECT_EQ(precise.falseEvents, 0u);
}

TEST(DetectionAccuracy, Percentile95IsTheNearestRank) {
    EXPECT_EQ(DetectionAccuracy::Percentile95({}), 0);
    EXPECT_EQ(DetectionAccuracy::Percentile95({7}), 7);
    std::vector<long long> hundred;
    for (long long i = 100; i >= 1; --i) hundred.push_back(i);
    EXPECT_EQ(DetectionAccuracy::Percentile95(hundred), 95);
    hundred.push_back(1000);
    EXPECT_EQ(DetectionAccuracy::Percentile95(hundred), 96);  // rank ceil(95.95) = 96
}

}  // namespace
}  // namespace fw::sim
