// A session manager for the end-to-end tests: just enough XSMP (libSM over
// ICE) for a desktop's checkpoint, logout and cancelled logout, driven a line
// at a time.
//
// Prints `listening <SESSION_MANAGER value>` once it listens, then one line per
// word from a client: `registered`, `interact` (granted at once), `done 1` or
// `done 0` (SaveYourselfDone and its success), `closed`. Reads commands, one a
// line, and sends them to every registered client:
//   checkpoint   SaveYourself (both, no shutdown, any interaction), SaveComplete after it
//   shutdown     SaveYourself (both, shutdown, any interaction)
//   cancel       ShutdownCancelled
//   die          Die
//   restart      prints `restart <argument>|<argument>...`, the RestartCommand a
//                client last set (empty when none)
// It takes connections from this machine only (local sockets), and ends at
// the end of its input.

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string g_restart;               // the last RestartCommand set, its values joined by "|"
std::vector<IceConn> g_connections;  // open ICE connections, watched for input
std::vector<SmsConn> g_clients;      // registered clients
bool g_checkpoint = false;           // the last save was a checkpoint

void report(const std::string& line) {
    std::cout << line << std::endl;
}

Bool fromThisMachine(char* networkId) {
    const std::string id = networkId ? networkId : "";
    return id.rfind("local/", 0) == 0 || id.rfind("unix/", 0) == 0;
}

void watchConnection(IceConn connection, IcePointer, Bool opening, IcePointer*) {
    if (opening) {
        g_connections.push_back(connection);
        return;
    }
    std::erase(g_connections, connection);
}

void ignoreIoError(IceConn) {}

Status registerClient(SmsConn client, SmPointer, char* previousId) {
    free(previousId);
    char* id = SmsGenerateClientID(client);
    SmsRegisterClientReply(client, id);
    free(id);
    g_clients.push_back(client);
    report("registered");
    return 1;
}

void interactRequest(SmsConn client, SmPointer, int) {
    report("interact");
    SmsInteract(client);
}

void interactDone(SmsConn, SmPointer, Bool) {}

void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void phase2Request(SmsConn client, SmPointer) {
    SmsSaveYourselfPhase2(client);
}

void saveYourselfDone(SmsConn client, SmPointer, Bool success) {
    report(success ? "done 1" : "done 0");
    if (g_checkpoint) SmsSaveComplete(client);
}

void closeConnection(SmsConn client, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    std::erase(g_clients, client);
    SmsCleanUp(client);
    report("closed");
}

void setProperties(SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(properties[i]->name, SmRestartCommand) == 0) {
            g_restart.clear();
            for (int v = 0; v < properties[i]->num_vals; ++v)
                g_restart += (v ? "|" : "") +
                             std::string(static_cast<const char*>(properties[i]->vals[v].value),
                                         static_cast<size_t>(properties[i]->vals[v].length));
        }
        SmFreeProperty(properties[i]);
    }
    free(properties);
}

void deleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i) free(names[i]);
    free(names);
}

void getProperties(SmsConn client, SmPointer) {
    SmsReturnProperties(client, 0, nullptr);
}

Status newClient(SmsConn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
            SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
    callbacks->register_client.callback = registerClient;
    callbacks->interact_request.callback = interactRequest;
    callbacks->interact_done.callback = interactDone;
    callbacks->save_yourself_request.callback = saveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = phase2Request;
    callbacks->save_yourself_done.callback = saveYourselfDone;
    callbacks->close_connection.callback = closeConnection;
    callbacks->set_properties.callback = setProperties;
    callbacks->delete_properties.callback = deleteProperties;
    callbacks->get_properties.callback = getProperties;
    return 1;
}

void command(const std::string& line) {
    if (line == "restart") report("restart " + g_restart);
    for (SmsConn client : std::vector<SmsConn>(g_clients)) {
        if (line == "checkpoint" || line == "shutdown") {
            g_checkpoint = line == "checkpoint";
            SmsSaveYourself(client, SmSaveBoth, !g_checkpoint, SmInteractStyleAny, False);
        } else if (line == "cancel") {
            SmsShutdownCancelled(client);
        } else if (line == "die") {
            SmsDie(client);
        }
    }
}

}  // namespace

int main() {
    char error[256] = "";
    if (!SmsInitialize("alarm-clock-tests", "1", newClient, nullptr, fromThisMachine, sizeof error,
                       error)) {
        std::cerr << "SmsInitialize: " << error << '\n';
        return 1;
    }
    IceSetIOErrorHandler(ignoreIoError);
    IceAddConnectionWatch(watchConnection, nullptr);
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::cerr << "IceListenForConnections: " << error << '\n';
        return 1;
    }
    std::string localIds;
    for (int i = 0; i < count; ++i) {
        IceSetHostBasedAuthProc(listeners[i], fromThisMachine);
        char* id = IceGetListenConnectionString(listeners[i]);
        if (fromThisMachine(id)) localIds += (localIds.empty() ? "" : ",") + std::string(id);
        free(id);
    }
    report("listening " + localIds);

    std::string pending;
    for (;;) {
        std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
        for (int i = 0; i < count; ++i)
            fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
        const std::vector<IceConn> connections = g_connections;
        for (IceConn connection : connections)
            fds.push_back({IceConnectionNumber(connection), POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) continue;

        if (fds[0].revents) {
            char buffer[256];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got <= 0) break;
            pending.append(buffer, static_cast<size_t>(got));
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                command(pending.substr(0, end));
                pending.erase(0, end + 1);
            }
        }
        for (int i = 0; i < count; ++i) {
            if (!fds[1 + i].revents) continue;
            IceAcceptStatus status;
            IceAcceptConnection(listeners[i], &status);
        }
        for (size_t i = 0; i < connections.size(); ++i) {
            if (!fds[1 + count + i].revents) continue;
            if (IceProcessMessages(connections[i], nullptr, nullptr) == IceProcessMessagesIOError) {
                IceSetShutdownNegotiation(connections[i], False);
                IceCloseConnection(connections[i]);
            }
        }
    }
    IceFreeListenObjs(count, listeners);
    return 0;
}
