// The volume object on a real PulseAudio server with a null sink (the default
// sink), read back by the server's own command-line client; and its bounds with
// no server and with a server that has stopped answering.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "audio/CAudioEndpointVolume.h"
#include "platform/pulse/PulseEndpointSystem.h"
#include "support/PulseServer.h"

namespace {

using namespace std::chrono_literals;
using Millis = std::chrono::duration<double, std::milli>;

const Guid ourContext = guidFromString("{5929DCA2-52B8-449B-8A58-FDF6750634DA}");

// Runs pactl against the server in PULSE_SERVER and gives its output.
std::string pactl(const std::string& args) {
    std::string output;
    if (FILE* pipe = popen(("pactl " + args + " 2>&1").c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
        pclose(pipe);
    }
    return output;
}

std::string sinkMute(const std::string& sink = PulseServer::sinkName) {
    return pactl("get-sink-mute " + sink);
}

// The raw per-channel volumes pactl shows ("front-left: 32768 /  50% / ...").
std::vector<long> sinkVolumes() {
    const std::string text = pactl(std::string("get-sink-volume ") + PulseServer::sinkName);
    std::vector<long> volumes;
    const std::regex channel(R"(: (\d+) /)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), channel);
         it != std::sregex_iterator(); ++it)
        volumes.push_back(std::stol((*it)[1]));
    return volumes;
}

class Notices : public IAudioEndpointVolumeCallback {
  public:
    int32_t OnNotify(const AudioVolumeNotificationData& data) override {
        std::lock_guard lock(m_mutex);
        m_seen.push_back(data);
        m_arrived.notify_all();
        return 0;
    }
    // Waits (boundedly) until `count` notifications have come.
    bool waitFor(size_t count) {
        std::unique_lock lock(m_mutex);
        return m_arrived.wait_for(lock, 3s, [&] { return m_seen.size() >= count; });
    }
    std::vector<AudioVolumeNotificationData> seen() {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<AudioVolumeNotificationData> m_seen;
};

// Every getter of a partial object gives zero.
void expectZeros(CAudioEndpointVolume& volume) {
    EXPECT_EQ(volume.GetChannelCount(), 0);
    EXPECT_EQ(volume.GetChannelVolumeLevel(0), 0.0f);
    EXPECT_EQ(volume.GetChannelVolumeLevelScalar(0), 0.0f);
    EXPECT_EQ(volume.GetMasterVolumeLevel(), 0.0f);
    EXPECT_EQ(volume.GetMasterVolumeLevelScalar(), 0.0f);
    EXPECT_EQ(volume.GetMute(), 0);
    EXPECT_EQ(volume.QueryHardwareSupport(), 0);
}

class PulseEndpoint : public testing::Test {
  protected:
    PulseServer server;
    PulseEndpointSystem system;
};

TEST_F(PulseEndpoint, ReachesTheDefaultSink) {
    ASSERT_TRUE(server.running());
    CAudioEndpointVolume volume(system);
    EXPECT_TRUE(volume.complete());
    EXPECT_EQ(volume.GetChannelCount(), 2);  // the null sink is stereo
}

TEST_F(PulseEndpoint, SetMuteOneMutesAndZeroClearsSeenByAnotherClient) {
    {
        CAudioEndpointVolume volume(system);
        volume.SetMute(1);
    }
    EXPECT_EQ(sinkMute(), "Mute: yes\n");
    {
        CAudioEndpointVolume volume(system);
        EXPECT_EQ(volume.GetMute(), 1);
        volume.SetMute(0);
    }
    EXPECT_EQ(sinkMute(), "Mute: no\n");
    CAudioEndpointVolume volume(system);
    EXPECT_EQ(volume.GetMute(), 0);
}

// Other values go to the server as they are; its protocol carries a boolean,
// so any non-zero value mutes.
TEST_F(PulseEndpoint, SetMuteWithOtherValuesMutesOnTheServer) {
    for (int32_t value : {2, -1, 0x7FFFFFFF}) {
        CAudioEndpointVolume volume(system);
        volume.SetMute(0);
        volume.SetMute(value);
        EXPECT_EQ(sinkMute(), "Mute: yes\n") << value;
        EXPECT_EQ(volume.GetMute(), 1) << value;
    }
}

TEST_F(PulseEndpoint, ScalarHalfIsSetAndReadBack) {
    {
        CAudioEndpointVolume volume(system);
        volume.SetMasterVolumeLevelScalar(0.5f);
    }
    EXPECT_EQ(sinkVolumes(), (std::vector<long>{32768, 32768}));  // half of PA_VOLUME_NORM
    CAudioEndpointVolume volume(system);
    EXPECT_FLOAT_EQ(volume.GetMasterVolumeLevelScalar(), 0.5f);
    EXPECT_FLOAT_EQ(volume.GetChannelVolumeLevelScalar(1), 0.5f);
    // The server's cubic curve: half volume is 60 * log10(0.5) dB.
    EXPECT_NEAR(volume.GetMasterVolumeLevel(), -18.06f, 0.01f);
}

TEST_F(PulseEndpoint, DecibelsAreSetAndReadBack) {
    CAudioEndpointVolume volume(system);
    volume.SetMasterVolumeLevel(-20.0f);
    EXPECT_NEAR(volume.GetMasterVolumeLevel(), -20.0f, 0.01f);
    volume.SetMasterVolumeLevel(-96.0f);  // the floor is silence
    EXPECT_EQ(sinkVolumes(), (std::vector<long>{0, 0}));
    EXPECT_EQ(volume.GetMasterVolumeLevel(), -96.0f);
    EXPECT_EQ(volume.GetMasterVolumeLevelScalar(), 0.0f);
    volume.SetMasterVolumeLevel(0.0f);
    EXPECT_EQ(volume.GetMasterVolumeLevelScalar(), 1.0f);
}

TEST_F(PulseEndpoint, LevelsOutsideTheRangeChangeNothing) {
    CAudioEndpointVolume volume(system);
    volume.SetMasterVolumeLevelScalar(0.5f);
    volume.SetMasterVolumeLevelScalar(1.5f);
    volume.SetMasterVolumeLevelScalar(-0.1f);
    volume.SetMasterVolumeLevel(3.0f);
    volume.SetMasterVolumeLevel(-120.0f);
    volume.SetChannelVolumeLevelScalar(0, 2.0f);
    EXPECT_EQ(sinkVolumes(), (std::vector<long>{32768, 32768}));
}

TEST_F(PulseEndpoint, ChannelsAreSetOneByOne) {
    CAudioEndpointVolume volume(system);
    volume.SetMasterVolumeLevelScalar(1.0f);
    volume.SetChannelVolumeLevelScalar(1, 0.25f);
    EXPECT_EQ(sinkVolumes(), (std::vector<long>{65536, 16384}));
    EXPECT_FLOAT_EQ(volume.GetChannelVolumeLevelScalar(0), 1.0f);
    EXPECT_FLOAT_EQ(volume.GetChannelVolumeLevelScalar(1), 0.25f);
    volume.SetChannelVolumeLevel(0, -12.0f);
    EXPECT_NEAR(volume.GetChannelVolumeLevel(0), -12.0f, 0.01f);
    // The master is the loudest channel; setting it keeps the balance.
    volume.SetChannelVolumeLevelScalar(0, 0.5f);
    volume.SetMasterVolumeLevelScalar(1.0f);
    EXPECT_EQ(sinkVolumes(), (std::vector<long>{65536, 32768}));
    // A channel the sink does not have: refused, and read as zero.
    volume.SetChannelVolumeLevelScalar(2, 0.1f);
    volume.SetChannelVolumeLevelScalar(-1, 0.1f);
    EXPECT_EQ(sinkVolumes(), (std::vector<long>{65536, 32768}));
    EXPECT_EQ(volume.GetChannelVolumeLevelScalar(2), 0.0f);
}

TEST_F(PulseEndpoint, GetVolumeRangeFillsMinimumMaximumIncrement) {
    CAudioEndpointVolume volume(system);
    float minDB = 1, maxDB = 1, incrementDB = 0;
    volume.GetVolumeRange(minDB, maxDB, incrementDB);
    EXPECT_EQ(minDB, -96.0f);
    EXPECT_EQ(maxDB, 0.0f);
    EXPECT_GT(incrementDB, 0.0f);
    EXPECT_LT(incrementDB, 0.1f);
    std::printf("volume range: %.2f dB to %.2f dB, increment %.4f dB\n", minDB, maxDB, incrementDB);
}

TEST_F(PulseEndpoint, StepsAreHundredthsOfFullVolume) {
    CAudioEndpointVolume volume(system);
    volume.SetMasterVolumeLevelScalar(0.5f);
    int32_t step = -1, count = -1;
    volume.GetVolumeStepInfo(step, count);
    EXPECT_EQ(step, 50);
    EXPECT_EQ(count, 101);
    volume.VolumeStepUp();
    EXPECT_NEAR(volume.GetMasterVolumeLevelScalar(), 0.51f, 1e-4f);
    volume.VolumeStepDown();
    volume.VolumeStepDown();
    EXPECT_NEAR(volume.GetMasterVolumeLevelScalar(), 0.49f, 1e-4f);
    volume.SetMasterVolumeLevelScalar(1.0f);
    volume.VolumeStepUp();  // already at the top
    EXPECT_EQ(volume.GetMasterVolumeLevelScalar(), 1.0f);
    volume.SetMasterVolumeLevelScalar(0.0f);
    volume.VolumeStepDown();  // already at the bottom
    EXPECT_EQ(sinkVolumes(), (std::vector<long>{0, 0}));
}

TEST_F(PulseEndpoint, HardwareSupportIsNone) {
    CAudioEndpointVolume volume(system);
    EXPECT_EQ(volume.QueryHardwareSupport(), 0);
}

TEST_F(PulseEndpoint, NotificationsCarryOurContextForOurChangesAndStopAfterUnregistering) {
    CAudioEndpointVolume watched(system);
    Notices notices;
    watched.RegisterControlChangeNotify(&notices);

    CAudioEndpointVolume(system).SetMute(1);
    ASSERT_TRUE(notices.waitFor(1));
    CAudioEndpointVolume(system).SetMasterVolumeLevelScalar(0.3f);
    ASSERT_TRUE(notices.waitFor(2));
    pactl(std::string("set-sink-mute ") + PulseServer::sinkName + " 0");  // not ours
    ASSERT_TRUE(notices.waitFor(3));

    auto seen = notices.seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].bMuted);
    EXPECT_EQ(seen[0].guidEventContext, ourContext);
    EXPECT_NEAR(seen[1].fMasterVolume, 0.3f, 1e-4f);
    EXPECT_EQ(seen[1].nChannels, 2u);
    EXPECT_EQ(seen[1].afChannelVolumes.size(), 2u);
    EXPECT_EQ(seen[1].guidEventContext, ourContext);
    EXPECT_FALSE(seen[2].bMuted);
    EXPECT_EQ(seen[2].guidEventContext, Guid{});

    watched.UnregisterControlChangeNotify(&notices);
    // A second client shows when the next change has been delivered.
    CAudioEndpointVolume witness(system);
    Notices witnessed;
    witness.RegisterControlChangeNotify(&witnessed);
    CAudioEndpointVolume(system).SetMute(1);
    ASSERT_TRUE(witnessed.waitFor(1));
    EXPECT_EQ(witnessed.seen()[0].guidEventContext, ourContext);
    EXPECT_EQ(notices.seen().size(), 3u);
    witness.UnregisterControlChangeNotify(&witnessed);
}

TEST_F(PulseEndpoint, EveryWatcherSeesOurContext) {
    CAudioEndpointVolume first(system), second(system);
    Notices a, b;
    first.RegisterControlChangeNotify(&a);
    second.RegisterControlChangeNotify(&b);
    first.SetMute(1);
    ASSERT_TRUE(a.waitFor(1));
    ASSERT_TRUE(b.waitFor(1));
    EXPECT_EQ(a.seen()[0].guidEventContext, ourContext);
    EXPECT_EQ(b.seen()[0].guidEventContext, ourContext);
    first.UnregisterControlChangeNotify(&a);
    second.UnregisterControlChangeNotify(&b);
}

// The last client leaving from its own callback takes the watcher (and its
// connection) down on the watcher's own thread; a new client gets a new one.
TEST_F(PulseEndpoint, AClientMayUnregisterFromItsCallback) {
    CAudioEndpointVolume volume(system);
    struct Leaving : Notices {
        CAudioEndpointVolume* volume = nullptr;
        int32_t OnNotify(const AudioVolumeNotificationData& data) override {
            volume->UnregisterControlChangeNotify(this);
            return Notices::OnNotify(data);
        }
    } leaving;
    leaving.volume = &volume;
    volume.RegisterControlChangeNotify(&leaving);
    volume.SetMute(1);
    ASSERT_TRUE(leaving.waitFor(1));
    Notices later;
    volume.RegisterControlChangeNotify(&later);
    volume.SetMute(0);
    ASSERT_TRUE(later.waitFor(1));
    EXPECT_EQ(leaving.seen().size(), 1u);
    volume.UnregisterControlChangeNotify(&later);
}

// A mute that changes nothing leaves no claim on a later change by someone else.
TEST_F(PulseEndpoint, ChangesByOthersAfterANoOpOfOursAreNotOurs) {
    CAudioEndpointVolume volume(system);
    Notices notices;
    volume.RegisterControlChangeNotify(&notices);
    volume.SetMute(0);  // already clear: the server reports nothing
    pactl(std::string("set-sink-volume ") + PulseServer::sinkName + " 40%");
    ASSERT_TRUE(notices.waitFor(1));
    EXPECT_EQ(notices.seen()[0].guidEventContext, Guid{});
    volume.UnregisterControlChangeNotify(&notices);
}

// The default sink of the moment, named by its id; a sink found again by that
// id while it is there; news of each new default to a registered client.
TEST_F(PulseEndpoint, BindsToTheDefaultSinkOfTheMomentAndHearsOfANewOne) {
    struct Defaults : IMMNotificationClient {
        std::mutex mutex;
        std::condition_variable arrived;
        std::vector<std::string> heard;
        void OnDefaultDeviceChanged(const std::string& id) override {
            std::lock_guard lock(mutex);
            heard.push_back(id);
            arrived.notify_all();
        }
        bool waitFor(size_t count) {
            std::unique_lock lock(mutex);
            return arrived.wait_for(lock, 3s, [&] { return heard.size() >= count; });
        }
    } defaults;
    std::unique_ptr<EndpointEnumerator> listening = system.createEnumerator();
    ASSERT_EQ(listening->RegisterEndpointNotificationCallback(&defaults), 0);

    std::string module = pactl("load-module module-null-sink sink_name=other_null");
    module.erase(module.find_last_not_of("\n") + 1);
    pactl("set-default-sink other_null");
    ASSERT_TRUE(defaults.waitFor(1));
    CAudioEndpointVolume volume(system);
    EXPECT_EQ(volume.deviceId(), "other_null");
    volume.SetMute(1);
    EXPECT_EQ(sinkMute("other_null"), "Mute: yes\n");
    EXPECT_EQ(sinkMute(), "Mute: no\n");
    CAudioEndpointVolume first(system, PulseServer::sinkName);
    first.SetMute(1);
    EXPECT_EQ(sinkMute(), "Mute: yes\n");

    pactl("set-default-sink " + std::string(PulseServer::sinkName));
    ASSERT_TRUE(defaults.waitFor(2));
    EXPECT_EQ(defaults.heard, (std::vector<std::string>{"other_null", PulseServer::sinkName}));
    pactl("unload-module " + module);
    EXPECT_FALSE(CAudioEndpointVolume(system, "other_null").complete());
    EXPECT_EQ(listening->UnregisterEndpointNotificationCallback(&defaults), 0);
    EXPECT_NE(listening->UnregisterEndpointNotificationCallback(&defaults), 0);
}

TEST_F(PulseEndpoint, WithoutAnySinkTheObjectIsPartial) {
    pactl("unload-module module-null-sink");
    const auto start = std::chrono::steady_clock::now();
    CAudioEndpointVolume volume(system);
    const Millis took = std::chrono::steady_clock::now() - start;
    std::printf("construction with no sink: %.2f ms\n", took.count());
    EXPECT_FALSE(volume.complete());
    expectZeros(volume);
    volume.SetMute(1);
}

TEST_F(PulseEndpoint, AFrozenServerMakesAPartialObjectWithinTheBound) {
    server.freeze();
    const auto start = std::chrono::steady_clock::now();
    CAudioEndpointVolume volume(system);
    const Millis took = std::chrono::steady_clock::now() - start;
    std::printf("construction against a frozen server: %.1f ms\n", took.count());
    EXPECT_FALSE(volume.complete());
    EXPECT_LT(took, 2500ms);
    expectZeros(volume);
    volume.SetMute(1);
    server.thaw();
}

TEST_F(PulseEndpoint, OperationsOnAServerThatFreezesLaterAreBounded) {
    CAudioEndpointVolume volume(system);
    ASSERT_TRUE(volume.complete());
    server.freeze();
    auto start = std::chrono::steady_clock::now();
    volume.SetMute(1);
    const Millis first = std::chrono::steady_clock::now() - start;
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(volume.GetMute(), 0);
    EXPECT_EQ(volume.GetMasterVolumeLevelScalar(), 0.0f);
    Notices notices;
    volume.RegisterControlChangeNotify(&notices);
    const Millis rest = std::chrono::steady_clock::now() - start;
    std::printf("frozen server: first request %.1f ms, next three %.1f ms\n", first.count(),
                rest.count());
    EXPECT_LT(first, 2500ms);
    EXPECT_LT(rest, 2500ms);
    server.thaw();
}

TEST_F(PulseEndpoint, AServerThatGoesAwayLeavesZeros) {
    CAudioEndpointVolume volume(system);
    ASSERT_TRUE(volume.complete());
    server.stop();
    volume.SetMute(1);
    volume.SetMasterVolumeLevelScalar(0.5f);
    EXPECT_EQ(volume.GetMute(), 0);
    EXPECT_EQ(volume.GetChannelCount(), 0);
}

TEST(PulseEndpointNoServer, ThePartialObjectIsBuiltAtOnceAndGivesZeros) {
    NoPulseServer none;
    PulseEndpointSystem system;
    const auto start = std::chrono::steady_clock::now();
    CAudioEndpointVolume volume(system);
    const Millis took = std::chrono::steady_clock::now() - start;
    std::printf("construction with no server: %.3f ms\n", took.count());
    EXPECT_FALSE(volume.complete());
    EXPECT_LT(took, 200ms);
    expectZeros(volume);
    float minDB = 7, maxDB = 7, incrementDB = 7;
    volume.GetVolumeRange(minDB, maxDB, incrementDB);
    EXPECT_EQ(minDB, 7.0f);
    volume.SetMute(1);
    volume.VolumeStepUp();
}

}  // namespace
