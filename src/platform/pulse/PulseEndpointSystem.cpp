#include "PulseEndpointSystem.h"

#include "PulseChangeLedger.h"
#include "PulseConnection.h"
#include "PulseEndpointVolume.h"
#include "PulseRequests.h"

namespace {

using pulse::ChangeLedger;
using pulse::Connection;

// The default sink as found when the object was made; it stays bound to that
// sink even when the server's default changes later.
class SinkDevice : public EndpointDevice {
  public:
    SinkDevice(std::shared_ptr<Connection> connection, std::string sink,
               std::shared_ptr<ChangeLedger> ledger)
        : m_connection(std::move(connection)),
          m_sink(std::move(sink)),
          m_ledger(std::move(ledger)) {}

    std::unique_ptr<EndpointVolume> activate() override {
        if (!m_connection->alive()) return nullptr;
        return std::make_unique<pulse::SinkEndpointVolume>(m_connection, m_sink, m_ledger);
    }

  private:
    std::shared_ptr<Connection> m_connection;
    std::string m_sink;
    std::shared_ptr<ChangeLedger> m_ledger;
};

class ServerEnumerator : public EndpointEnumerator {
  public:
    ServerEnumerator(std::shared_ptr<Connection> connection, std::shared_ptr<ChangeLedger> ledger)
        : m_connection(std::move(connection)), m_ledger(std::move(ledger)) {}

    std::unique_ptr<EndpointDevice> defaultAudioEndpoint() override {
        const auto deadline = pulse::deadlineFromNow();
        const auto name = pulse::defaultSinkName(*m_connection, deadline);
        if (!name) return nullptr;
        // The server may name a default that no longer exists.
        pulse::SinkReading sink;
        if (pulse::readSink(*m_connection, *name, deadline, sink) != 0) return nullptr;
        return std::make_unique<SinkDevice>(m_connection, *name, m_ledger);
    }

  private:
    // Shared with the device and the endpoint volume, which use the same connection.
    std::shared_ptr<Connection> m_connection;
    std::shared_ptr<ChangeLedger> m_ledger;
};

}  // namespace

PulseEndpointSystem::PulseEndpointSystem() : m_ledger(std::make_shared<ChangeLedger>()) {}

PulseEndpointSystem::~PulseEndpointSystem() = default;

std::unique_ptr<EndpointEnumerator> PulseEndpointSystem::createEnumerator() {
    std::shared_ptr<Connection> connection = Connection::open(pulse::deadlineFromNow());
    if (!connection) return nullptr;
    return std::make_unique<ServerEnumerator>(std::move(connection), m_ledger);
}

EndpointSystem& pulseEndpointSystem() {
    static PulseEndpointSystem system;
    return system;
}
