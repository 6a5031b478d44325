// The mapping between the endpoint's scalars, decibels and steps and the
// server's volumes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "platform/pulse/PulseVolumeScale.h"

namespace {

using namespace pulse;

struct ScalarCase {
    float scalar;
    std::optional<pa_volume_t> volume;
};

void PrintTo(const ScalarCase& c, std::ostream* os) {
    *os << "scalar " << c.scalar;
}

class ScalarToVolume : public testing::TestWithParam<ScalarCase> {};

TEST_P(ScalarToVolume, IsLinearInTheServersVolume) {
    EXPECT_EQ(volumeFromScalar(GetParam().scalar), GetParam().volume);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScalarToVolume,
    testing::Values(ScalarCase{0.0f, 0u}, ScalarCase{0.5f, 32768u}, ScalarCase{0.25f, 16384u},
                    ScalarCase{1.0f, PA_VOLUME_NORM}, ScalarCase{0.01f, 655u},
                    ScalarCase{1.0001f, std::nullopt}, ScalarCase{-0.0001f, std::nullopt},
                    ScalarCase{std::numeric_limits<float>::quiet_NaN(), std::nullopt}));

TEST(VolumeScale, ScalarsReadBackExactlyAndLoudVolumesReadAsOne) {
    for (float s : {0.0f, 0.5f, 0.25f, 0.75f, 1.0f})
        EXPECT_EQ(scalarFromVolume(*volumeFromScalar(s)), s);
    EXPECT_EQ(scalarFromVolume(PA_VOLUME_NORM * 3 / 2), 1.0f);
}

struct DbCase {
    float db;
    std::optional<pa_volume_t> volume;
};

void PrintTo(const DbCase& c, std::ostream* os) {
    *os << c.db << " dB";
}

class DbToVolume : public testing::TestWithParam<DbCase> {};

TEST_P(DbToVolume, UsesTheServersSoftwareDecibelsWithTheFloorAsSilence) {
    EXPECT_EQ(volumeFromDB(GetParam().db), GetParam().volume);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DbToVolume,
    testing::Values(DbCase{0.0f, PA_VOLUME_NORM}, DbCase{-96.0f, 0u}, DbCase{-18.0617997f, 32768u},
                    DbCase{0.01f, std::nullopt}, DbCase{-96.01f, std::nullopt},
                    DbCase{std::numeric_limits<float>::quiet_NaN(), std::nullopt}));

TEST(VolumeScale, DecibelsReadBackAndSilenceReadsAsTheFloor) {
    EXPECT_EQ(dbFromVolume(PA_VOLUME_MUTED), -96.0f);
    EXPECT_EQ(dbFromVolume(1), -96.0f);  // quieter than the floor
    EXPECT_NEAR(dbFromVolume(32768), -18.062f, 0.001f);
    EXPECT_EQ(dbFromVolume(PA_VOLUME_NORM), 0.0f);
    for (float db : {-90.0f, -40.0f, -6.0f, -0.5f})
        EXPECT_NEAR(dbFromVolume(*volumeFromDB(db)), db, incrementDB()) << db;
}

TEST(VolumeScale, TheIncrementIsTheCoarsestResolutionInTheRange) {
    const float inc = incrementDB();
    EXPECT_GT(inc, 0.0f);
    // Just above the floor one unit of volume moves the level by about this much.
    const pa_volume_t atFloor = pa_sw_volume_from_dB(-96.0);
    EXPECT_NEAR(pa_sw_volume_to_dB(atFloor + 1) - pa_sw_volume_to_dB(atFloor), inc, 1e-6);
    EXPECT_LT(pa_sw_volume_to_dB(PA_VOLUME_NORM) - pa_sw_volume_to_dB(PA_VOLUME_NORM - 1), inc);
}

struct StepCase {
    pa_volume_t volume;
    uint32_t step;
};

void PrintTo(const StepCase& c, std::ostream* os) {
    *os << "volume " << c.volume;
}

class Steps : public testing::TestWithParam<StepCase> {};

TEST_P(Steps, AreTheNearestHundredthOfFullVolume) {
    EXPECT_EQ(stepFromVolume(GetParam().volume), GetParam().step);
}

INSTANTIATE_TEST_SUITE_P(Table, Steps,
                         testing::Values(StepCase{0, 0}, StepCase{327, 0}, StepCase{328, 1},
                                         StepCase{32768, 50}, StepCase{PA_VOLUME_NORM, 100},
                                         StepCase{PA_VOLUME_NORM * 2, 100}));

TEST(VolumeScale, StepVolumesSpanSilenceToFull) {
    EXPECT_EQ(stepCount, 101u);
    EXPECT_EQ(volumeFromStep(0), 0u);
    EXPECT_EQ(volumeFromStep(50), 32768u);
    EXPECT_EQ(volumeFromStep(100), PA_VOLUME_NORM);
    for (uint32_t s = 0; s < stepCount; ++s) EXPECT_EQ(stepFromVolume(volumeFromStep(s)), s);
}

}  // namespace
