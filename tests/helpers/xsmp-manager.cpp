// SPDX-License-Identifier: MIT
// A session manager of the X session protocol (XSMP) for one client, built
// on libSM as a desktop's own is, for the tests to ask a real Tavo what a
// desktop asks.
//
// It prints where it listens (what SESSION_MANAGER must say), then takes one
// request a line on standard input: "checkpoint" (a save, the session goes
// on), "logout" (the save before a logout), "complete" (the save is over),
// "cancel" (the logout is cancelled) or "die" (the session ends). It prints
// what the client does: "registered", "saved", "closed". It ends with its
// input.

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <poll.h>
#include <unistd.h>

namespace {

SmsConn gClient = nullptr;
IceConn gIce = nullptr;

void Say(const char *event) {
    std::printf("%s\n", event);
    std::fflush(stdout);
}

Bool AnyHost(char *) {
    return True;
}

Status NewClient(SmsConn conn, SmPointer, unsigned long *mask, SmsCallbacks *cb, char **) {
    gClient = conn;
    *mask = (1L << 10) - 1; // every callback below
    cb->register_client.callback = [](SmsConn c, SmPointer, char *previousId) -> Status {
        std::free(previousId);
        char *id = SmsGenerateClientID(c);
        const Status ok = SmsRegisterClientReply(c, id);
        std::free(id);
        Say("registered");
        return ok;
    };
    cb->interact_request.callback = [](SmsConn c, SmPointer, int) { SmsInteract(c); };
    cb->interact_done.callback = [](SmsConn, SmPointer, Bool) {};
    cb->save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {};
    cb->save_yourself_phase2_request.callback = [](SmsConn c, SmPointer) {
        SmsSaveYourselfPhase2(c);
    };
    cb->save_yourself_done.callback = [](SmsConn, SmPointer, Bool) { Say("saved"); };
    cb->close_connection.callback = [](SmsConn c, SmPointer, int count, char **reasons) {
        SmFreeReasons(count, reasons);
        SmsCleanUp(c);
        gClient = nullptr;
    };
    cb->set_properties.callback = [](SmsConn, SmPointer, int count, SmProp **props) {
        for (int i = 0; i < count; ++i)
            SmFreeProperty(props[i]);
        std::free(props);
    };
    cb->delete_properties.callback = [](SmsConn, SmPointer, int count, char **names) {
        for (int i = 0; i < count; ++i)
            std::free(names[i]);
        std::free(names);
    };
    cb->get_properties.callback = [](SmsConn c, SmPointer) { SmsReturnProperties(c, 0, nullptr); };
    return 1;
}

void Accept(IceListenObj listener) {
    IceAcceptStatus status;
    IceConn ice = IceAcceptConnection(listener, &status);
    while (ice && IceConnectionStatus(ice) == IceConnectPending)
        IceProcessMessages(ice, nullptr, nullptr);
    if (ice && IceConnectionStatus(ice) == IceConnectAccepted && !gIce)
        gIce = ice;
    else if (ice)
        IceCloseConnection(ice);
}

void Process() {
    const IceProcessMessagesStatus status = IceProcessMessages(gIce, nullptr, nullptr);
    if (status == IceProcessMessagesSuccess)
        return;
    if (status == IceProcessMessagesIOError) { // gone without a word
        if (gClient)
            SmsCleanUp(gClient);
        IceSetShutdownNegotiation(gIce, False);
        IceCloseConnection(gIce);
    }
    gClient = nullptr; // a connection closed in order is freed by ICE itself
    gIce = nullptr;
    Say("closed");
}

void Request(const std::string &line) {
    if (!gClient)
        std::fprintf(stderr, "xsmp-manager: no client for '%s'\n", line.c_str());
    else if (line == "checkpoint" || line == "logout")
        SmsSaveYourself(gClient, SmSaveBoth, line == "logout", SmInteractStyleNone, False);
    else if (line == "complete")
        SmsSaveComplete(gClient);
    else if (line == "cancel")
        SmsShutdownCancelled(gClient);
    else if (line == "die")
        SmsDie(gClient);
}

} // namespace

int main() {
    // A client that went away is written to all the same.
    std::signal(SIGPIPE, SIG_IGN);
    IceSetIOErrorHandler([](IceConn) {});
    char error[256] = {};
    int count = 0;
    IceListenObj *listeners = nullptr;
    if (!SmsInitialize("tavo-tests", "1", &NewClient, nullptr, &AnyHost, sizeof error, error) ||
        !IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "xsmp-manager: %s\n", error);
        return 1;
    }
    // Only the socket of this machine is served, to whoever connects: the
    // one client is the program the test starts.
    IceListenObj local = nullptr;
    for (int i = 0; i < count && !local; ++i) {
        char *id = IceGetListenConnectionString(listeners[i]);
        if (std::strncmp(id, "local/", 6) == 0) {
            local = listeners[i];
            IceSetHostBasedAuthProc(local, &AnyHost);
            Say(id);
        }
        std::free(id);
    }
    std::string input;
    while (local) {
        pollfd fds[] = {{STDIN_FILENO, POLLIN, 0},
                        {IceGetListenConnectionNumber(local), POLLIN, 0},
                        {gIce ? IceConnectionNumber(gIce) : -1, POLLIN, 0}};
        ::poll(fds, 3, -1);
        if (fds[0].revents) {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0)
                break;
            input.append(buffer, std::size_t(n));
            for (std::size_t end; (end = input.find('\n')) != std::string::npos;) {
                Request(input.substr(0, end));
                input.erase(0, end + 1);
            }
        }
        if (fds[1].revents & POLLIN)
            Accept(local);
        if (gIce && fds[2].revents)
            Process();
    }
    if (gIce)
        IceCloseConnection(gIce);
    IceFreeListenObjs(count, listeners);
    return local ? 0 : 1;
}
