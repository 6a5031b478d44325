// The Core Audio endpoint backend under the volume object, against COM objects
// of the test's own (an enumerator, a device and an IAudioEndpointVolume): the
// chain it walks, the order it releases in, what each operation hands to
// Core Audio, change notifications bridged back to the core's callback, and
// the clock's level floor carried out through it.

#include <gtest/gtest.h>

#include "audio/CAudioEndpointVolume.h"
#include "platform/win32/CoreAudioEndpoint.h"
#include "support/ClockRig.h"

// Core Audio's callbacks are renamed while its headers are read, as the core has
// a callback of the same name; windows.h comes before them.
#include <windows.h>

#define IAudioEndpointVolumeCallback ComAudioEndpointVolumeCallback
#define IMMNotificationClient ComMMNotificationClient
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#undef IMMNotificationClient
#undef IAudioEndpointVolumeCallback

#include <algorithm>
#include <bit>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Journal = std::vector<std::string>;

// One call that reached the endpoint: its name, its value arguments as 32-bit
// words (floats by bit pattern), and the event context when it carried one.
struct Call {
    std::string name;
    std::vector<uint32_t> words;
    std::optional<std::string> context;
    bool operator==(const Call&) const = default;
};

void PrintTo(const Call& c, std::ostream* os) {
    *os << c.name << " (" << c.words.size() << " words) " << c.context.value_or("no context");
}

constexpr const char* ourContext = "{5929DCA2-52B8-449B-8A58-FDF6750634DA}";

uint32_t bits(float f) {
    return std::bit_cast<uint32_t>(f);
}

// IUnknown for a fake that the test owns: counts references and notes in the
// journal when the last one goes.
template <class Interface>
class Counted : public Interface {
  public:
    Counted(Journal& journal, std::string name) : m_journal(journal), m_name(std::move(name)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (refs == 0) m_journal.push_back("over-release " + m_name);
        if (refs > 0 && --refs == 0) m_journal.push_back("release " + m_name);
        return refs;
    }
    ULONG refs = 0;

  protected:
    Journal& m_journal;

  private:
    std::string m_name;
};

class FakeVolume : public Counted<IAudioEndpointVolume> {
  public:
    explicit FakeVolume(Journal& journal) : Counted(journal, "volume") {}

    HRESULT STDMETHODCALLTYPE
    RegisterControlChangeNotify(ComAudioEndpointVolumeCallback* c) override {
        registered = c;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    UnregisterControlChangeNotify(ComAudioEndpointVolumeCallback* c) override {
        unregistered = c;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(UINT* count) override {
        return answer("GetChannelCount", {}, count, 6u);
    }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevel(float db, LPCGUID c) override {
        return note("SetMasterVolumeLevel", {bits(db)}, c);
    }
    HRESULT STDMETHODCALLTYPE SetMasterVolumeLevelScalar(float v, LPCGUID c) override {
        masterScalar = v;
        return note("SetMasterVolumeLevelScalar", {bits(v)}, c);
    }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevel(float* db) override {
        return answer("GetMasterVolumeLevel", {}, db, -12.5f);
    }
    HRESULT STDMETHODCALLTYPE GetMasterVolumeLevelScalar(float* v) override {
        return answer("GetMasterVolumeLevelScalar", {}, v, masterScalar);
    }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevel(UINT ch, float db, LPCGUID c) override {
        return note("SetChannelVolumeLevel", {ch, bits(db)}, c);
    }
    HRESULT STDMETHODCALLTYPE SetChannelVolumeLevelScalar(UINT ch, float v, LPCGUID c) override {
        return note("SetChannelVolumeLevelScalar", {ch, bits(v)}, c);
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevel(UINT ch, float* db) override {
        return answer("GetChannelVolumeLevel", {ch}, db, -3.25f);
    }
    HRESULT STDMETHODCALLTYPE GetChannelVolumeLevelScalar(UINT ch, float* v) override {
        return answer("GetChannelVolumeLevelScalar", {ch}, v, 0.25f);
    }
    HRESULT STDMETHODCALLTYPE SetMute(WINBOOL mute, LPCGUID c) override {
        return note("SetMute", {static_cast<uint32_t>(mute)}, c);
    }
    HRESULT STDMETHODCALLTYPE GetMute(WINBOOL* mute) override {
        return answer("GetMute", {}, mute, TRUE);
    }
    HRESULT STDMETHODCALLTYPE GetVolumeStepInfo(UINT* step, UINT* count) override {
        *step = 41;
        *count = 101;
        return note("GetVolumeStepInfo", {});
    }
    HRESULT STDMETHODCALLTYPE VolumeStepUp(LPCGUID c) override {
        return note("VolumeStepUp", {}, c);
    }
    HRESULT STDMETHODCALLTYPE VolumeStepDown(LPCGUID c) override {
        return note("VolumeStepDown", {}, c);
    }
    HRESULT STDMETHODCALLTYPE QueryHardwareSupport(DWORD* mask) override {
        return answer("QueryHardwareSupport", {}, mask, DWORD{3});
    }
    HRESULT STDMETHODCALLTYPE GetVolumeRange(float* minDB, float* maxDB, float* stepDB) override {
        *minDB = -96.0f;
        *maxDB = 0.0f;
        *stepDB = 0.5f;
        return note("GetVolumeRange", {});
    }

    std::vector<Call> calls;
    float masterScalar = 0.75f;  // the endpoint's level, as the last set left it
    ComAudioEndpointVolumeCallback* registered = nullptr;
    ComAudioEndpointVolumeCallback* unregistered = nullptr;

  private:
    HRESULT note(std::string name, std::vector<uint32_t> words, LPCGUID c = nullptr) {
        std::optional<std::string> context;
        if (c) {
            wchar_t text[40] = {};
            StringFromGUID2(*c, text, 40);
            context = std::string(text, text + 38);
        }
        calls.push_back({std::move(name), std::move(words), context});
        return S_OK;
    }
    template <class T>
    HRESULT answer(std::string name, std::vector<uint32_t> words, T* target, T value) {
        *target = value;
        return note(std::move(name), std::move(words));
    }
};

class FakeDevice : public Counted<IMMDevice> {
  public:
    FakeDevice(Journal& journal, FakeVolume& volume)
        : Counted(journal, "device"), m_volume(volume) {}
    HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD context, PROPVARIANT* parameters,
                                       void** object) override {
        m_journal.push_back(std::string("activate ") +
                            (iid == __uuidof(IAudioEndpointVolume) ? "IAudioEndpointVolume" : "?") +
                            " context " + std::to_string(context) +
                            (parameters ? " with parameters" : ""));
        m_volume.AddRef();
        *object = static_cast<IAudioEndpointVolume*>(&m_volume);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override {
        *id = static_cast<LPWSTR>(CoTaskMemAlloc((kId.size() + 1) * sizeof(wchar_t)));
        kId.copy(*id, kId.size());
        (*id)[kId.size()] = L'\0';
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override {
        *state = unplugged ? DEVICE_STATE_UNPLUGGED : DEVICE_STATE_ACTIVE;
        return S_OK;
    }
    static constexpr std::wstring_view kId = L"{0.0.0.00000000}.{speakers}";
    bool unplugged = false;

  private:
    FakeVolume& m_volume;
};

class FakeEnumerator : public Counted<IMMDeviceEnumerator> {
  public:
    FakeEnumerator(Journal& journal, FakeDevice& device)
        : Counted(journal, "enumerator"), m_device(device) {}
    HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role,
                                                      IMMDevice** device) override {
        m_journal.push_back(std::string("default endpoint ") + (flow == eRender ? "render" : "?") +
                            (role == eConsole ? " console" : " ?"));
        m_device.AddRef();
        *device = &m_device;
        return S_OK;
    }
    // Windows finds a device it knows by its id, plugged in or not.
    HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR id, IMMDevice** device) override {
        *device = nullptr;
        if (id != FakeDevice::kId) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        m_device.AddRef();
        *device = &m_device;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    RegisterEndpointNotificationCallback(ComMMNotificationClient* client) override {
        registered = client;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    UnregisterEndpointNotificationCallback(ComMMNotificationClient* client) override {
        unregistered = client;
        return client == registered ? S_OK : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    }
    ComMMNotificationClient* registered = nullptr;
    ComMMNotificationClient* unregistered = nullptr;

  private:
    FakeDevice& m_device;
};

// The three fakes, handed to the backend as CoCreateInstance would hand the
// enumerator: with one reference that the backend owns.
struct Fakes : EndpointSystem {
    Journal journal;
    FakeVolume volume{journal};
    FakeDevice device{journal, volume};
    FakeEnumerator enumerator{journal, device};

    std::unique_ptr<EndpointEnumerator> createEnumerator() override {
        enumerator.AddRef();
        return coreAudioEnumerator(&enumerator);
    }
};

TEST(CoreAudioChain, ReachesTheVolumeAndReleasesDeviceVolumeEnumerator) {
    Fakes fakes;
    {
        CAudioEndpointVolume volume(fakes);
        ASSERT_TRUE(volume.complete());
        EXPECT_EQ(fakes.journal, (Journal{"default endpoint render console",
                                          "activate IAudioEndpointVolume context 23"}));
        fakes.journal.clear();
    }
    EXPECT_EQ(fakes.journal, (Journal{"release device", "release volume", "release enumerator"}));
}

// An output is found again by the id Core Audio gave it, while it is active.
TEST(CoreAudioChain, FindsAnOutputByItsIdWhileItIsActive) {
    Fakes fakes;
    const std::string id = "{0.0.0.00000000}.{speakers}";
    {
        CAudioEndpointVolume byDefault(fakes);
        EXPECT_EQ(byDefault.deviceId(), id);
        CAudioEndpointVolume byId(fakes, id);
        EXPECT_TRUE(byId.complete());
        EXPECT_EQ(byId.deviceId(), id);
        EXPECT_FALSE(CAudioEndpointVolume(fakes, "{0.0.0.00000000}.{gone}").complete());
        fakes.device.unplugged = true;
        EXPECT_FALSE(CAudioEndpointVolume(fakes, id).complete());
    }
    EXPECT_EQ(fakes.device.refs, 0u);
    EXPECT_EQ(fakes.enumerator.refs, 0u);
}

// The level floor through Core Audio: a turned-down endpoint rings at the
// scalar 0.5, set with the clock's event context, and switch-off puts the
// person's level back; one at 0.75 is never set.
TEST(CoreAudioLevel, ATurnedDownEndpointRingsAtHalfAndGetsItsLevelBack) {
    for (const float level : {0.05f, 0.75f}) {
        Fakes fakes;
        fakes.volume.masterScalar = level;
        {
            ClockRig rig(6, 59, 50);
            rig.outputs.target = &fakes;
            rig.arm("07:00 AM");
            rig.runUntil(7, 0, 0);
            ASSERT_TRUE(rig.form.blnAlarm);
            EXPECT_FLOAT_EQ(fakes.volume.masterScalar, std::max(level, 0.5f)) << level;
            rig.form.butOnOff_Click();
            EXPECT_FLOAT_EQ(fakes.volume.masterScalar, level) << level;
        }
        std::vector<Call> sets;
        for (const Call& call : fakes.volume.calls)
            if (call.name == "SetMasterVolumeLevelScalar") sets.push_back(call);
        const std::vector<Call> expected{{"SetMasterVolumeLevelScalar", {bits(0.5f)}, ourContext},
                                         {"SetMasterVolumeLevelScalar", {bits(level)}, ourContext}};
        EXPECT_EQ(sets, level < 0.5f ? expected : std::vector<Call>{}) << level;
        EXPECT_EQ(fakes.volume.refs, 0u);
        EXPECT_EQ(fakes.enumerator.refs, 0u);
    }
}

// ---- each operation, forwarded with its values and the event context ----

struct Operation {
    const char* label;
    // Calls the operation and gives what it gave back (none for a setter).
    std::function<std::vector<double>(CAudioEndpointVolume&)> call;
    Call expected;
    std::vector<double> gives;
};

void PrintTo(const Operation& o, std::ostream* os) {
    *os << o.label;
}

class Forwarding : public testing::TestWithParam<Operation> {};

TEST_P(Forwarding, HandsCoreAudioItsValuesAndTheEventContext) {
    const Operation& o = GetParam();
    Fakes fakes;
    CAudioEndpointVolume volume(fakes);
    EXPECT_EQ(o.call(volume), o.gives);
    EXPECT_EQ(fakes.volume.calls, std::vector<Call>{o.expected});
}

using V = CAudioEndpointVolume;
using Gives = std::vector<double>;

INSTANTIATE_TEST_SUITE_P(
    EachOperation, Forwarding,
    testing::Values(Operation{"GetChannelCount",
                              [](V& v) { return Gives{double(v.GetChannelCount())}; },
                              {"GetChannelCount", {}, {}},
                              {6}},
                    Operation{"GetChannelVolumeLevel",
                              [](V& v) { return Gives{v.GetChannelVolumeLevel(3)}; },
                              {"GetChannelVolumeLevel", {3u}, {}},
                              {-3.25}},
                    Operation{"GetChannelVolumeLevelScalar",
                              [](V& v) { return Gives{v.GetChannelVolumeLevelScalar(-2)}; },
                              {"GetChannelVolumeLevelScalar", {0xFFFFFFFEu}, {}},
                              {0.25}},
                    Operation{"GetMasterVolumeLevel",
                              [](V& v) { return Gives{v.GetMasterVolumeLevel()}; },
                              {"GetMasterVolumeLevel", {}, {}},
                              {-12.5}},
                    Operation{"GetMasterVolumeLevelScalar",
                              [](V& v) { return Gives{v.GetMasterVolumeLevelScalar()}; },
                              {"GetMasterVolumeLevelScalar", {}, {}},
                              {0.75}},
                    Operation{"GetMute",
                              [](V& v) { return Gives{double(v.GetMute())}; },
                              {"GetMute", {}, {}},
                              {1}},
                    Operation{"GetVolumeRange",
                              [](V& v) {
                                  float minDB = 1, maxDB = 2, stepDB = 3;
                                  v.GetVolumeRange(minDB, maxDB, stepDB);
                                  return Gives{minDB, maxDB, stepDB};
                              },
                              {"GetVolumeRange", {}, {}},
                              {-96, 0, 0.5}},
                    Operation{"GetVolumeStepInfo",
                              [](V& v) {
                                  int32_t step = 0, count = 0;
                                  v.GetVolumeStepInfo(step, count);
                                  return Gives{double(step), double(count)};
                              },
                              {"GetVolumeStepInfo", {}, {}},
                              {41, 101}},
                    Operation{"QueryHardwareSupport",
                              [](V& v) { return Gives{double(v.QueryHardwareSupport())}; },
                              {"QueryHardwareSupport", {}, {}},
                              {3}},
                    Operation{"SetChannelVolumeLevel",
                              [](V& v) {
                                  v.SetChannelVolumeLevel(1, -6.0f);
                                  return Gives{};
                              },
                              {"SetChannelVolumeLevel", {1u, bits(-6.0f)}, ourContext},
                              {}},
                    Operation{"SetChannelVolumeLevelScalar",
                              [](V& v) {
                                  v.SetChannelVolumeLevelScalar(0, 0.125f);
                                  return Gives{};
                              },
                              {"SetChannelVolumeLevelScalar", {0u, bits(0.125f)}, ourContext},
                              {}},
                    Operation{"SetMasterVolumeLevel",
                              [](V& v) {
                                  v.SetMasterVolumeLevel(-12.25f);
                                  return Gives{};
                              },
                              {"SetMasterVolumeLevel", {bits(-12.25f)}, ourContext},
                              {}},
                    Operation{"SetMasterVolumeLevelScalar",
                              [](V& v) {
                                  v.SetMasterVolumeLevelScalar(0.5f);
                                  return Gives{};
                              },
                              {"SetMasterVolumeLevelScalar", {0x3F000000u}, ourContext},
                              {}},
                    Operation{"SetMute",
                              [](V& v) {
                                  v.SetMute(1);
                                  return Gives{};
                              },
                              {"SetMute", {1u}, ourContext},
                              {}},
                    Operation{"SetMuteOtherValue",
                              [](V& v) {
                                  v.SetMute(-1);
                                  return Gives{};
                              },
                              {"SetMute", {0xFFFFFFFFu}, ourContext},
                              {}},
                    Operation{"VolumeStepDown",
                              [](V& v) {
                                  v.VolumeStepDown();
                                  return Gives{};
                              },
                              {"VolumeStepDown", {}, ourContext},
                              {}},
                    Operation{"VolumeStepUp",
                              [](V& v) {
                                  v.VolumeStepUp();
                                  return Gives{};
                              },
                              {"VolumeStepUp", {}, ourContext},
                              {}}),
    [](const testing::TestParamInfo<Operation>& info) { return std::string(info.param.label); });

// ---- change notifications ----

class Listener : public IAudioEndpointVolumeCallback {
  public:
    int32_t OnNotify(const AudioVolumeNotificationData& data) override {
        heard.push_back(data);
        return 0;
    }
    std::vector<AudioVolumeNotificationData> heard;
};

TEST(CoreAudioCallback, ChangesReachTheClientThroughACallbackOfCoreAudiosOwn) {
    Fakes fakes;
    Listener listener;
    {
        CAudioEndpointVolume volume(fakes);
        volume.RegisterControlChangeNotify(&listener);
        ComAudioEndpointVolumeCallback* bridge = fakes.volume.registered;
        ASSERT_NE(bridge, nullptr);
        bridge->AddRef();  // Core Audio's own reference, as it takes one

        // A change of two channels, as Core Audio lays it out: the channel
        // volumes run on past the end of the structure.
        struct {
            AUDIO_VOLUME_NOTIFICATION_DATA data;
            FLOAT more[1];
        } change{};
        change.data.guidEventContext = {
            0x5929DCA2, 0x52B8, 0x449B, {0x8A, 0x58, 0xFD, 0xF6, 0x75, 0x06, 0x34, 0xDA}};
        change.data.bMuted = TRUE;
        change.data.fMasterVolume = 0.25f;
        change.data.nChannels = 2;
        change.data.afChannelVolumes[0] = 0.5f;
        change.more[0] = 0.75f;
        EXPECT_EQ(bridge->OnNotify(&change.data), S_OK);
        ASSERT_EQ(listener.heard.size(), 1u);
        const AudioVolumeNotificationData& heard = listener.heard[0];
        EXPECT_EQ(heard.guidEventContext, volume.eventContext());
        EXPECT_TRUE(heard.bMuted);
        EXPECT_EQ(heard.fMasterVolume, 0.25f);
        EXPECT_EQ(heard.nChannels, 2u);
        EXPECT_EQ(heard.afChannelVolumes, (std::vector<float>{0.5f, 0.75f}));

        volume.UnregisterControlChangeNotify(&listener);
        EXPECT_EQ(fakes.volume.unregistered, bridge);
        // The backend has let go of the callback: Core Audio's reference is the last.
        EXPECT_EQ(bridge->Release(), 0u);
    }
    EXPECT_EQ(fakes.volume.refs, 0u);
}

// ---- a new default output ----

class DefaultListener : public IMMNotificationClient {
  public:
    void OnDefaultDeviceChanged(const std::string& id) override { heard.push_back(id); }
    std::vector<std::string> heard;
};

TEST(CoreAudioDefaultDevice, ANewDefaultRenderDeviceReachesTheClient) {
    Fakes fakes;
    DefaultListener listener;
    {
        std::unique_ptr<EndpointEnumerator> enumerator = fakes.createEnumerator();
        ASSERT_EQ(enumerator->RegisterEndpointNotificationCallback(&listener), S_OK);
        ComMMNotificationClient* bridge = fakes.enumerator.registered;
        ASSERT_NE(bridge, nullptr);
        bridge->AddRef();  // as Core Audio would hold it
        // Only the render device of the console role is the clock's output.
        EXPECT_EQ(bridge->OnDefaultDeviceChanged(eRender, eConsole, L"{0.0.0.00000000}.{héad}"),
                  S_OK);
        bridge->OnDefaultDeviceChanged(eRender, eMultimedia, L"{0.0.0.00000000}.{other}");
        bridge->OnDefaultDeviceChanged(eCapture, eConsole, L"{0.0.1.00000000}.{mic}");
        bridge->OnDefaultDeviceChanged(eRender, eConsole, nullptr);  // none left
        EXPECT_EQ(listener.heard, (std::vector<std::string>{"{0.0.0.00000000}.{h\xc3\xa9"
                                                            "ad}",
                                                            ""}));
        bridge->OnDeviceAdded(L"x");
        bridge->OnDeviceRemoved(L"x");
        bridge->OnDeviceStateChanged(L"x", DEVICE_STATE_UNPLUGGED);

        EXPECT_EQ(enumerator->UnregisterEndpointNotificationCallback(&listener), S_OK);
        EXPECT_EQ(fakes.enumerator.unregistered, bridge);
        // Let go: a late call from Core Audio reaches no one.
        bridge->OnDefaultDeviceChanged(eRender, eConsole, L"late");
        EXPECT_EQ(listener.heard.size(), 2u);
        EXPECT_EQ(bridge->Release(), 0u);
    }
    EXPECT_EQ(fakes.enumerator.refs, 0u);
}

}  // namespace
