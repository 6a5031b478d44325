#include "PulseEndpointSystem.h"

#include "PulseChangeLedger.h"
#include "PulseDefaultWatcher.h"
#include "PulseEndpointVolume.h"
#include "PulseRequests.h"
#include "PulseSession.h"
#include "audio/EndpointResult.h"

namespace {

using pulse::ChangeLedger;
using pulse::Session;

// The default sink as found when the object was made; it stays bound to that
// sink even when the server's default changes later.
class SinkDevice : public EndpointDevice {
  public:
    SinkDevice(std::shared_ptr<Session> session, std::string sink,
               std::shared_ptr<ChangeLedger> ledger)
        : m_session(std::move(session)), m_sink(std::move(sink)), m_ledger(std::move(ledger)) {}

    std::string id() override { return m_sink; }

    std::unique_ptr<EndpointVolume> activate() override {
        if (!m_session->ready()) return nullptr;
        return std::make_unique<pulse::SinkEndpointVolume>(m_session, m_sink, m_ledger);
    }

  private:
    std::shared_ptr<Session> m_session;
    std::string m_sink;
    std::shared_ptr<ChangeLedger> m_ledger;
};

class ServerEnumerator : public EndpointEnumerator {
  public:
    ServerEnumerator(std::shared_ptr<Session> session, std::shared_ptr<ChangeLedger> ledger)
        : m_session(std::move(session)), m_ledger(std::move(ledger)) {}

    std::unique_ptr<EndpointDevice> defaultAudioEndpoint() override {
        // Bound by its name, as the server resolves the default at this moment.
        pulse::SinkReading sink;
        if (pulse::readSink(*m_session, "@DEFAULT_SINK@", pulse::deadlineFromNow(), sink) != 0)
            return nullptr;
        return std::make_unique<SinkDevice>(m_session, sink.name, m_ledger);
    }

    std::unique_ptr<EndpointDevice> device(const std::string& id) override {
        // A sink's name is its id; one that is gone is not found.
        pulse::SinkReading sink;
        if (id.empty() || pulse::readSink(*m_session, id, pulse::deadlineFromNow(), sink) != 0)
            return nullptr;
        return std::make_unique<SinkDevice>(m_session, sink.name, m_ledger);
    }

    int32_t RegisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        if (!client) return endpoint_result::nullPointer;
        if (!m_defaultWatcher)
            m_defaultWatcher = pulse::DefaultSinkWatcher::start(pulse::deadlineFromNow());
        if (!m_defaultWatcher) return endpoint_result::serviceNotRunning;
        m_defaultWatcher->clients().add(client);
        return endpoint_result::ok;
    }

    int32_t UnregisterEndpointNotificationCallback(IMMNotificationClient* client) override {
        if (!client) return endpoint_result::nullPointer;
        if (!m_defaultWatcher || !m_defaultWatcher->clients().remove(client))
            return endpoint_result::notFound;
        if (m_defaultWatcher->clients().empty()) m_defaultWatcher.reset();
        return endpoint_result::ok;
    }

  private:
    // Shared with the device and the endpoint volume, which use the same session.
    std::shared_ptr<Session> m_session;
    std::shared_ptr<ChangeLedger> m_ledger;
    std::unique_ptr<pulse::DefaultSinkWatcher> m_defaultWatcher;
};

}  // namespace

PulseEndpointSystem::PulseEndpointSystem() : m_ledger(std::make_shared<ChangeLedger>()) {}

PulseEndpointSystem::~PulseEndpointSystem() = default;

std::unique_ptr<EndpointEnumerator> PulseEndpointSystem::createEnumerator() {
    std::shared_ptr<Session> session = Session::open("alarm-clock", pulse::deadlineFromNow());
    if (!session) return nullptr;
    return std::make_unique<ServerEnumerator>(std::move(session), m_ledger);
}

EndpointSystem& pulseEndpointSystem() {
    static PulseEndpointSystem system;
    return system;
}
