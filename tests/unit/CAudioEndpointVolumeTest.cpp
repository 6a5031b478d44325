// The volume object over a scripted endpoint system: how far construction gets
// and what it gives back, what each operation hands to the endpoint, and what a
// partial object does.

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "audio/CAudioEndpointVolume.h"
#include "audio/EndpointResult.h"

namespace {

const Guid ourContext = guidFromString("{5929DCA2-52B8-449B-8A58-FDF6750634DA}");

// One call that reached the endpoint: its name, its value arguments as 32-bit
// words (floats by bit pattern), and the event context when it carried one.
struct Call {
    std::string name;
    std::vector<uint32_t> words;
    std::optional<Guid> context;
    bool operator==(const Call&) const = default;
};

uint32_t bits(float f) {
    return std::bit_cast<uint32_t>(f);
}

enum class FailAt { nothing, enumerator, device, activation };

struct Script {
    FailAt failAt = FailAt::nothing;
    std::vector<std::string> lifecycle;
    std::vector<Call> calls;
    int32_t result = endpoint_result::ok;  // what every endpoint method returns
    bool writes = true;                    // whether getters write their outputs
};

class ScriptedVolume : public EndpointVolume {
  public:
    explicit ScriptedVolume(Script& s) : m_s(s) {}
    ~ScriptedVolume() override { m_s.lifecycle.push_back("release volume"); }

    int32_t RegisterControlChangeNotify(IAudioEndpointVolumeCallback* client) override {
        registered = client;
        return note("RegisterControlChangeNotify", {});
    }
    int32_t UnregisterControlChangeNotify(IAudioEndpointVolumeCallback* client) override {
        unregistered = client;
        return note("UnregisterControlChangeNotify", {});
    }
    int32_t GetChannelCount(uint32_t* count) override {
        return out("GetChannelCount", {}, count, 6u);
    }
    int32_t SetMasterVolumeLevel(float db, const Guid* c) override {
        return note("SetMasterVolumeLevel", {bits(db)}, c);
    }
    int32_t SetMasterVolumeLevelScalar(float v, const Guid* c) override {
        return note("SetMasterVolumeLevelScalar", {bits(v)}, c);
    }
    int32_t GetMasterVolumeLevel(float* db) override {
        return out("GetMasterVolumeLevel", {}, db, -12.5f);
    }
    int32_t GetMasterVolumeLevelScalar(float* v) override {
        return out("GetMasterVolumeLevelScalar", {}, v, 0.75f);
    }
    int32_t SetChannelVolumeLevel(uint32_t ch, float db, const Guid* c) override {
        return note("SetChannelVolumeLevel", {ch, bits(db)}, c);
    }
    int32_t SetChannelVolumeLevelScalar(uint32_t ch, float v, const Guid* c) override {
        return note("SetChannelVolumeLevelScalar", {ch, bits(v)}, c);
    }
    int32_t GetChannelVolumeLevel(uint32_t ch, float* db) override {
        return out("GetChannelVolumeLevel", {ch}, db, -3.25f);
    }
    int32_t GetChannelVolumeLevelScalar(uint32_t ch, float* v) override {
        return out("GetChannelVolumeLevelScalar", {ch}, v, 0.25f);
    }
    int32_t SetMute(int32_t mute, const Guid* c) override {
        return note("SetMute", {static_cast<uint32_t>(mute)}, c);
    }
    int32_t GetMute(int32_t* mute) override { return out("GetMute", {}, mute, 1); }
    int32_t GetVolumeStepInfo(uint32_t* step, uint32_t* count) override {
        if (m_s.writes) {
            *step = 41;
            *count = 101;
        }
        return note("GetVolumeStepInfo", {});
    }
    int32_t VolumeStepUp(const Guid* c) override { return note("VolumeStepUp", {}, c); }
    int32_t VolumeStepDown(const Guid* c) override { return note("VolumeStepDown", {}, c); }
    int32_t QueryHardwareSupport(uint32_t* mask) override {
        return out("QueryHardwareSupport", {}, mask, 3u);
    }
    int32_t GetVolumeRange(float* minDB, float* maxDB, float* incrementDB) override {
        rangeOutputs = {minDB, maxDB, incrementDB};
        if (m_s.writes) {
            *minDB = -96.0f;
            *maxDB = 0.0f;
            *incrementDB = 0.5f;
        }
        return note("GetVolumeRange", {});
    }

    IAudioEndpointVolumeCallback* registered = nullptr;
    IAudioEndpointVolumeCallback* unregistered = nullptr;
    std::vector<float*> rangeOutputs;

  private:
    int32_t note(std::string name, std::vector<uint32_t> words, const Guid* c = nullptr) {
        std::optional<Guid> context;
        if (c) context = *c;
        m_s.calls.push_back({std::move(name), std::move(words), context});
        return m_s.result;
    }
    template <class T>
    int32_t out(std::string name, std::vector<uint32_t> words, T* target, T value) {
        if (m_s.writes) *target = value;
        return note(std::move(name), std::move(words));
    }
    Script& m_s;
};

// Keeps the last volume it made reachable, so tests can look at what it saw.
class ScriptedDevice : public EndpointDevice {
  public:
    ScriptedDevice(Script& s, ScriptedVolume*& made) : m_s(s), m_made(made) {}
    ~ScriptedDevice() override { m_s.lifecycle.push_back("release device"); }
    std::string id() override { return "scripted"; }
    std::unique_ptr<EndpointVolume> activate() override {
        m_s.lifecycle.push_back("activate");
        if (m_s.failAt == FailAt::activation) return nullptr;
        auto volume = std::make_unique<ScriptedVolume>(m_s);
        m_made = volume.get();
        return volume;
    }

  private:
    Script& m_s;
    ScriptedVolume*& m_made;
};

class ScriptedEnumerator : public EndpointEnumerator {
  public:
    ScriptedEnumerator(Script& s, ScriptedVolume*& made) : m_s(s), m_made(made) {}
    ~ScriptedEnumerator() override { m_s.lifecycle.push_back("release enumerator"); }
    std::unique_ptr<EndpointDevice> defaultAudioEndpoint() override {
        m_s.lifecycle.push_back("default endpoint");
        if (m_s.failAt == FailAt::device) return nullptr;
        return std::make_unique<ScriptedDevice>(m_s, m_made);
    }
    std::unique_ptr<EndpointDevice> device(const std::string&) override { return nullptr; }
    int32_t RegisterEndpointNotificationCallback(IMMNotificationClient*) override { return 0; }
    int32_t UnregisterEndpointNotificationCallback(IMMNotificationClient*) override { return 0; }

  private:
    Script& m_s;
    ScriptedVolume*& m_made;
};

class ScriptedSystem : public EndpointSystem {
  public:
    explicit ScriptedSystem(Script& s) : m_s(s) {}
    std::unique_ptr<EndpointEnumerator> createEnumerator() override {
        m_s.lifecycle.push_back("create enumerator");
        if (m_s.failAt == FailAt::enumerator) return nullptr;
        return std::make_unique<ScriptedEnumerator>(m_s, made);
    }
    ScriptedVolume* made = nullptr;

  private:
    Script& m_s;
};

class NoticeSink : public IAudioEndpointVolumeCallback {
  public:
    int32_t OnNotify(const AudioVolumeNotificationData&) override { return 0; }
};

// ---- construction and destruction ----

void PrintTo(FailAt f, std::ostream* os) {
    const char* names[] = {"nothing", "enumerator", "device", "activation"};
    *os << "fails at " << names[static_cast<int>(f)];
}

struct Chain {
    FailAt failAt;
    bool complete;
    std::vector<std::string> afterConstruction;
    std::vector<std::string> afterDestruction;
};

void PrintTo(const Chain& c, std::ostream* os) {
    PrintTo(c.failAt, os);
}

class ConstructionChain : public testing::TestWithParam<Chain> {};

TEST_P(ConstructionChain, StopsAtTheFirstFailureAndGivesBackWhatItTookDeviceFirst) {
    const Chain& c = GetParam();
    Script script;
    script.failAt = c.failAt;
    ScriptedSystem system(script);
    {
        CAudioEndpointVolume volume(system);
        EXPECT_EQ(volume.complete(), c.complete);
        EXPECT_EQ(script.lifecycle, c.afterConstruction);
        script.lifecycle.clear();
    }
    EXPECT_EQ(script.lifecycle, c.afterDestruction);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, ConstructionChain,
    testing::Values(Chain{FailAt::enumerator, false, {"create enumerator"}, {}},
                    Chain{FailAt::device,
                          false,
                          {"create enumerator", "default endpoint"},
                          {"release enumerator"}},
                    Chain{FailAt::activation,
                          false,
                          {"create enumerator", "default endpoint", "activate"},
                          {"release device", "release enumerator"}},
                    Chain{FailAt::nothing,
                          true,
                          {"create enumerator", "default endpoint", "activate"},
                          {"release device", "release volume", "release enumerator"}}));

TEST(CAudioEndpointVolume, ParsesItsEventContextAtConstruction) {
    Script script;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    const Guid expected{
        0x5929DCA2, 0x52B8, 0x449B, {0x8A, 0x58, 0xFD, 0xF6, 0x75, 0x06, 0x34, 0xDA}};
    EXPECT_EQ(volume.eventContext(), expected);
}

TEST(NullEndpointSystem, HasNoEnumeratorAndGivesPartialObjects) {
    EXPECT_EQ(nullEndpointSystem().createEnumerator(), nullptr);
    EXPECT_FALSE(CAudioEndpointVolume(nullEndpointSystem()).complete());
}

// ---- setters: values passed on unchanged, with the event context ----

struct Setter {
    const char* label;
    std::function<void(CAudioEndpointVolume&)> call;
    Call expected;
};

void PrintTo(const Setter& s, std::ostream* os) {
    *os << s.label;
}

class Setters : public testing::TestWithParam<Setter> {};

TEST_P(Setters, ForwardTheirValuesAndTheEventContext) {
    const Setter& s = GetParam();
    Script script;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    s.call(volume);
    ASSERT_EQ(script.calls.size(), 1u);
    EXPECT_EQ(script.calls[0], s.expected);
}

// Failures are dropped: the same calls with an endpoint that refuses everything.
TEST_P(Setters, DropTheEndpointsRefusal) {
    const Setter& s = GetParam();
    Script script;
    script.result = endpoint_result::fail;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    s.call(volume);
    ASSERT_EQ(script.calls.size(), 1u);
    EXPECT_EQ(script.calls[0], s.expected);
}

using V = CAudioEndpointVolume;

INSTANTIATE_TEST_SUITE_P(
    EachSetter, Setters,
    testing::Values(
        Setter{"mute", [](V& v) { v.SetMute(1); }, {"SetMute", {1u}, ourContext}},
        Setter{"unmute", [](V& v) { v.SetMute(0); }, {"SetMute", {0u}, ourContext}},
        Setter{"muteTwo", [](V& v) { v.SetMute(2); }, {"SetMute", {2u}, ourContext}},
        Setter{"muteMinusOne", [](V& v) { v.SetMute(-1); }, {"SetMute", {0xFFFFFFFFu}, ourContext}},
        Setter{"masterScalar",
               [](V& v) { v.SetMasterVolumeLevelScalar(0.5f); },
               {"SetMasterVolumeLevelScalar", {0x3F000000u}, ourContext}},
        Setter{"masterScalarOutOfRange",
               [](V& v) { v.SetMasterVolumeLevelScalar(1.5f); },
               {"SetMasterVolumeLevelScalar", {bits(1.5f)}, ourContext}},
        Setter{"masterDB",
               [](V& v) { v.SetMasterVolumeLevel(-12.25f); },
               {"SetMasterVolumeLevel", {bits(-12.25f)}, ourContext}},
        Setter{"channelDB",
               [](V& v) { v.SetChannelVolumeLevel(1, -6.0f); },
               {"SetChannelVolumeLevel", {1u, bits(-6.0f)}, ourContext}},
        Setter{"channelScalar",
               [](V& v) { v.SetChannelVolumeLevelScalar(0, 0.125f); },
               {"SetChannelVolumeLevelScalar", {0u, bits(0.125f)}, ourContext}},
        Setter{"channelNegative",
               [](V& v) { v.SetChannelVolumeLevelScalar(-1, 0.5f); },
               {"SetChannelVolumeLevelScalar", {0xFFFFFFFFu, bits(0.5f)}, ourContext}},
        Setter{"stepUp", [](V& v) { v.VolumeStepUp(); }, {"VolumeStepUp", {}, ourContext}},
        Setter{"stepDown", [](V& v) { v.VolumeStepDown(); }, {"VolumeStepDown", {}, ourContext}}),
    [](const testing::TestParamInfo<Setter>& info) { return std::string(info.param.label); });

// ---- getters: the endpoint's answer, or zero when it wrote nothing ----

struct Getter {
    const char* label;
    std::function<double(CAudioEndpointVolume&)> call;
    Call expected;
    double answer;  // what the scripted endpoint writes
};

void PrintTo(const Getter& g, std::ostream* os) {
    *os << g.label;
}

class Getters : public testing::TestWithParam<Getter> {};

TEST_P(Getters, GiveWhatTheEndpointWrote) {
    const Getter& g = GetParam();
    Script script;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    EXPECT_EQ(g.call(volume), g.answer);
    ASSERT_EQ(script.calls.size(), 1u);
    EXPECT_EQ(script.calls[0], g.expected);
}

TEST_P(Getters, GiveZeroWhenTheEndpointFailsWithoutWriting) {
    const Getter& g = GetParam();
    Script script;
    script.result = endpoint_result::fail;
    script.writes = false;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    EXPECT_EQ(g.call(volume), 0.0);
    EXPECT_EQ(script.calls.size(), 1u);
}

// The result code is dropped: what the endpoint wrote counts even with a failure.
TEST_P(Getters, GiveWhatWasWrittenEvenWhenTheEndpointReportsFailure) {
    const Getter& g = GetParam();
    Script script;
    script.result = endpoint_result::fail;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    EXPECT_EQ(g.call(volume), g.answer);
}

INSTANTIATE_TEST_SUITE_P(
    EachGetter, Getters,
    testing::Values(Getter{"channelCount",
                           [](V& v) { return v.GetChannelCount(); },
                           {"GetChannelCount", {}, {}},
                           6},
                    Getter{"channelDB",
                           [](V& v) { return v.GetChannelVolumeLevel(3); },
                           {"GetChannelVolumeLevel", {3u}, {}},
                           -3.25},
                    Getter{"channelScalar",
                           [](V& v) { return v.GetChannelVolumeLevelScalar(-2); },
                           {"GetChannelVolumeLevelScalar", {0xFFFFFFFEu}, {}},
                           0.25},
                    Getter{"masterDB",
                           [](V& v) { return v.GetMasterVolumeLevel(); },
                           {"GetMasterVolumeLevel", {}, {}},
                           -12.5},
                    Getter{"masterScalar",
                           [](V& v) { return v.GetMasterVolumeLevelScalar(); },
                           {"GetMasterVolumeLevelScalar", {}, {}},
                           0.75},
                    Getter{"mute", [](V& v) { return v.GetMute(); }, {"GetMute", {}, {}}, 1},
                    Getter{"hardwareSupport",
                           [](V& v) { return v.QueryHardwareSupport(); },
                           {"QueryHardwareSupport", {}, {}},
                           3}),
    [](const testing::TestParamInfo<Getter>& info) { return std::string(info.param.label); });

TEST(CAudioEndpointVolume, GetVolumeRangeFillsMinimumMaximumIncrementInThatOrder) {
    Script script;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    float minDB = 1, maxDB = 2, incrementDB = 3;
    volume.GetVolumeRange(minDB, maxDB, incrementDB);
    EXPECT_EQ(minDB, -96.0f);
    EXPECT_EQ(maxDB, 0.0f);
    EXPECT_EQ(incrementDB, 0.5f);
    // The endpoint wrote straight into the caller's variables.
    EXPECT_EQ(system.made->rangeOutputs, (std::vector<float*>{&minDB, &maxDB, &incrementDB}));
}

TEST(CAudioEndpointVolume, ByReferenceOutputsKeepWhatTheEndpointLeft) {
    Script script;
    script.writes = false;
    script.result = endpoint_result::fail;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    float minDB = 1, maxDB = 2, incrementDB = 3;
    int32_t step = 7, count = 8;
    volume.GetVolumeRange(minDB, maxDB, incrementDB);
    volume.GetVolumeStepInfo(step, count);
    EXPECT_EQ(std::vector<float>({minDB, maxDB, incrementDB}), std::vector<float>({1, 2, 3}));
    EXPECT_EQ(step, 7);
    EXPECT_EQ(count, 8);
}

TEST(CAudioEndpointVolume, GetVolumeStepInfoFillsStepThenCount) {
    Script script;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    int32_t step = 0, count = 0;
    volume.GetVolumeStepInfo(step, count);
    EXPECT_EQ(step, 41);
    EXPECT_EQ(count, 101);
}

TEST(CAudioEndpointVolume, NotificationClientsArePassedOnUnchanged) {
    Script script;
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    NoticeSink sink;
    volume.RegisterControlChangeNotify(&sink);
    EXPECT_EQ(system.made->registered, &sink);
    volume.UnregisterControlChangeNotify(&sink);
    EXPECT_EQ(system.made->unregistered, &sink);
    EXPECT_EQ(script.calls.size(), 2u);
    // A null client too: refusing it is the endpoint's business.
    volume.RegisterControlChangeNotify(nullptr);
    EXPECT_EQ(script.calls.size(), 3u);
}

// ---- partial objects ----

class PartialObject : public testing::TestWithParam<FailAt> {};

TEST_P(PartialObject, GivesZerosAndChangesNothing) {
    Script script;
    script.failAt = GetParam();
    ScriptedSystem system(script);
    CAudioEndpointVolume volume(system);
    ASSERT_FALSE(volume.complete());

    EXPECT_EQ(volume.GetChannelCount(), 0);
    EXPECT_EQ(volume.GetChannelVolumeLevel(0), 0.0f);
    EXPECT_EQ(volume.GetChannelVolumeLevelScalar(0), 0.0f);
    EXPECT_EQ(volume.GetMasterVolumeLevel(), 0.0f);
    EXPECT_EQ(volume.GetMasterVolumeLevelScalar(), 0.0f);
    EXPECT_EQ(volume.GetMute(), 0);
    EXPECT_EQ(volume.QueryHardwareSupport(), 0);
    float minDB = 1, maxDB = 2, incrementDB = 3;
    volume.GetVolumeRange(minDB, maxDB, incrementDB);
    EXPECT_EQ(std::vector<float>({minDB, maxDB, incrementDB}), std::vector<float>({1, 2, 3}));
    int32_t step = 7, count = 8;
    volume.GetVolumeStepInfo(step, count);
    EXPECT_EQ(step, 7);
    EXPECT_EQ(count, 8);

    NoticeSink sink;
    volume.RegisterControlChangeNotify(&sink);
    volume.SetChannelVolumeLevel(0, -6.0f);
    volume.SetChannelVolumeLevelScalar(0, 0.5f);
    volume.SetMasterVolumeLevel(-6.0f);
    volume.SetMasterVolumeLevelScalar(0.5f);
    volume.SetMute(1);
    volume.UnregisterControlChangeNotify(&sink);
    volume.VolumeStepDown();
    volume.VolumeStepUp();
    EXPECT_TRUE(script.calls.empty());
    EXPECT_EQ(system.made, nullptr);
}

INSTANTIATE_TEST_SUITE_P(EachStop, PartialObject,
                         testing::Values(FailAt::enumerator, FailAt::device, FailAt::activation));

// ---- GUID text ----

struct GuidText {
    const char* text;
    Guid expected;
};

void PrintTo(const GuidText& g, std::ostream* os) {
    *os << (*g.text ? g.text : "empty text");
}

class GuidParsing : public testing::TestWithParam<GuidText> {};

TEST_P(GuidParsing, ReadsBracedTextOrGivesTheNullGuid) {
    EXPECT_EQ(guidFromString(GetParam().text), GetParam().expected);
}

const Guid enumeratorClass{
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};

INSTANTIATE_TEST_SUITE_P(
    Texts, GuidParsing,
    testing::Values(GuidText{"{BCDE0395-E52F-467C-8E3D-C4579291692E}", enumeratorClass},
                    GuidText{"{bcde0395-e52f-467c-8e3d-c4579291692e}", enumeratorClass},
                    GuidText{"{00000000-0000-0000-0000-000000000000}", Guid{}},
                    GuidText{"BCDE0395-E52F-467C-8E3D-C4579291692E", Guid{}},
                    GuidText{"{BCDE0395-E52F-467C-8E3D-C4579291692E", Guid{}},
                    GuidText{"{BCDE0395-E52F-467C-8E3DC-4579291692E}", Guid{}},
                    GuidText{"{BCDE0395-E52F-467C-8E3D-C4579291692G}", Guid{}},
                    GuidText{"{BCDE0395+E52F-467C-8E3D-C4579291692E}", Guid{}},
                    GuidText{"{BCDE0395-E52F-467C-8E3D-C4579291692E}x", Guid{}},
                    GuidText{"", Guid{}}));

}  // namespace
