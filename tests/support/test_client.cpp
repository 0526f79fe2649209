// A scripted client for end-to-end tests, built on the framework's own IPC
// code (see test_client.h).
#include "test_client.h"

#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app_ipc.h"
#include "client_emulation.h"
#include "shmem.h"
#include "text_files.h"

using namespace client_emulation;

double test_clock() { return clock_seconds(); }

namespace {

void pause_briefly() { usleep(50 * 1000); }

}  // namespace

TestClient::TestClient() : slot_dir(make_temp_dir("tidewrack_slot")) {}

TestClient::~TestClient() {
    kill_program();
    heartbeat_running = false;
    if (heartbeat_thread.joinable()) heartbeat_thread.join();
    release_shared_memory(shm);
    if (!getenv("TIDEWRACK_KEEP_SLOTS")) remove_tree(slot_dir);
}

void TestClient::write_checkpoint(int index, int searched) {
    write_file(slot_file("ckpt_state"), " " + std::to_string(index) + " \n " + std::to_string(searched) + " \n");
}

void TestClient::attach_as_client(const std::string& name) {
    app_name = name;
    write_init_data("");
    shm = create_shared_memory(slot_dir);
}

void TestClient::rewrite_init_data(const std::string& project_preferences) {
    write_init_data(project_preferences);
}

void TestClient::write_init_data(const std::string& project_preferences) {
    APP_INIT_DATA aid;
    default_init_data(aid);
    snprintf(aid.app_name, sizeof aid.app_name, "%s", app_name.c_str());
    strcpy(aid.wu_name, "tidewrack_test_wu");
    strcpy(aid.result_name, "tidewrack_test_wu_0");
    strcpy(aid.user_name, "test user");
    client_emulation::write_init_data(slot_dir, aid, project_preferences);
}

bool TestClient::copy_program_into_slot() {
    std::string copy = slot_file("tidewrack");
    if (!copy_file(TIDEWRACK_EXE, copy) || chmod(copy.c_str(), 0755) != 0) return false;
    program = copy;
    return true;
}

void TestClient::start(const char* display) {
    process_options options;
    options.argv = {program};
    options.dir = slot_dir;
    options.remove_display = !display;
    if (display) options.display = display;
    launch(options);
}

void TestClient::start_command(const std::vector<std::string>& argv, const char* output) {
    process_options options;
    options.argv = argv;
    options.dir = slot_dir;
    options.output_path = slot_file(output);
    launch(options);
}

void TestClient::launch(const process_options& options) {
    child = start_process(options);
    if (shm) {
        heartbeat_running = true;
        heartbeat_thread = std::thread(&TestClient::send_heartbeats, this);
    }
}

void TestClient::start_graphics(const std::string& argv0, const std::vector<std::string>& args) {
    process_options options;
    options.program = TIDEWRACK_GRAPHICS_EXE;
    options.argv = {argv0};
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.dir = slot_dir;
    child = start_process(options);
}

void TestClient::send_heartbeats() {
    while (heartbeat_running) {
        send_heartbeat(shm);
        for (int i = 0; i < 20 && heartbeat_running; i++) pause_briefly();
    }
}

bool TestClient::running() {
    int status, sig;
    if (child <= 0) return false;
    if (!reap(child, false, status, sig)) return true;
    exit_status = sig ? -2 : status;
    child = 0;
    return false;
}

int TestClient::wait_for_exit(double timeout_seconds) {
    double deadline = test_clock() + timeout_seconds;
    while (running()) {
        if (test_clock() > deadline) return -1;
        pause_briefly();
    }
    return exit_status;
}

void TestClient::kill_program() {
    if (!running()) return;
    kill_and_reap(child);
    child = 0;
    exit_status = -2;
}

void TestClient::send_graphics_request(const char* msg) {
    if (!shm) return;
    message_queue queue;
    queue.pending.push_back(msg);
    double deadline = test_clock() + 60;
    while (!queue.flush(shm->graphics_request) && running() && test_clock() < deadline) pause_briefly();
}

std::string TestClient::wait_for_graphics_reply(double timeout_seconds) {
    if (!shm) return "";
    double deadline = test_clock() + timeout_seconds;
    std::string reply;
    while (test_clock() < deadline) {
        bool alive = running();
        if (read_graphics_reply(shm, reply)) return reply;
        if (!alive) break;   // no reply will come
        pause_briefly();
    }
    return "";
}

std::string TestClient::log() const { return read_file(slot_file("stderr.txt")); }

std::string TestClient::graphics_log() const { return read_file(slot_file("stderrgfx.txt")); }
bool TestClient::wait_for_log(const std::string& text, double timeout_seconds) {
    double deadline = test_clock() + timeout_seconds;
    for (;;) {
        bool alive = running();
        if (log().find(text) != std::string::npos) return true;
        if (!alive || test_clock() > deadline) return false;
        pause_briefly();
    }
}
