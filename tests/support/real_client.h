// The real 7.20 BOINC client in end-to-end tests: a hand-made client data
// directory (tests/support/boinc_client.py) holds one task whose app version
// is this build's programs and pictures; the client runs it at once, without
// a display of its own.
#pragma once

#include <memory>
#include <string>

#include "slot.h"

namespace e2e {

struct real_client {
    scoped_run_dir dir{"realclient"};
    std::string data = dir.root + "/client";
    int port;   // GUI RPC
    std::unique_ptr<background_process> client;

    explicit real_client(int gui_rpc_port) : port(gui_rpc_port) {}

    // Lays out the data directory and starts the client. With
    // `open_gui_rpc`, an empty gui_rpc_auth.cfg lets local programs in
    // without a password, as the screensaver helper needs.
    bool start(bool open_gui_rpc = false);
    // The running task's slot and graphics program as the Manager reads them
    // (GUI RPC get_results), once the task has started.
    bool running_task(double timeout_seconds, std::string* slot, std::string* graphics);
    std::string log() const;
};

}  // namespace e2e
