// A scripted client for end-to-end tests, built on the framework's own IPC
// code (see test_client.h).
#include "test_client.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "app_ipc.h"
#include "shmem.h"

double test_clock() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

namespace {

void pause_briefly() { usleep(50 * 1000); }

std::string make_temp_dir() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tidewrack_slot_XXXXXX";
    char* made = mkdtemp(&pattern[0]);
    return made ? std::string(made) : std::string();
}

}  // namespace

TestClient::TestClient() : slot_dir(make_temp_dir()) {}

TestClient::~TestClient() {
    kill_program();
    heartbeat_running = false;
    if (heartbeat_thread.joinable()) heartbeat_thread.join();
    if (shm) detach_shmem_mmap(shm, sizeof(SHARED_MEM));
    if (!slot_dir.empty() && !getenv("TIDEWRACK_KEEP_SLOTS")) {
        std::string command = "rm -rf '" + slot_dir + "'";
        if (system(command.c_str()) != 0) fprintf(stderr, "cannot remove %s\n", slot_dir.c_str());
    }
}

void TestClient::write_checkpoint(int index, int searched) {
    std::ofstream(slot_file("ckpt_state")) << " " << index << " \n " << searched << " \n";
}

void TestClient::attach_as_client(const std::string& name) {
    app_name = name;
    write_init_data("");
    void* memory = nullptr;
    if (create_shmem_mmap(slot_file(MMAPPED_FILE_NAME).c_str(), sizeof(SHARED_MEM), &memory) == 0) {
        shm = static_cast<SHARED_MEM*>(memory);
        memset(shm, 0, sizeof(SHARED_MEM));
    }
}

void TestClient::rewrite_init_data(const std::string& project_preferences) {
    write_init_data(project_preferences);
}

void TestClient::write_init_data(const std::string& project_preferences) {
    APP_INIT_DATA aid;
    aid.major_version = 7;
    aid.minor_version = 20;
    aid.release = 5;
    snprintf(aid.app_name, sizeof aid.app_name, "%s", app_name.c_str());
    strcpy(aid.wu_name, "tidewrack_test_wu");
    strcpy(aid.result_name, "tidewrack_test_wu_0");
    strcpy(aid.user_name, "test user");
    aid.checkpoint_period = 60;
    aid.shmem_seg_name = -1;   // the shared memory is the slot's boinc_mmap_file
    aid.client_pid = getpid();
    aid.fraction_done_start = 0;
    aid.fraction_done_end = 1;
    if (!project_preferences.empty()) aid.project_preferences = strdup(project_preferences.c_str());
    // Written aside and renamed, so the program never reads half a file.
    std::string written = slot_file(INIT_DATA_FILE) + ".new";
    if (FILE* f = fopen(written.c_str(), "w")) {
        write_init_data_file(f, aid);
        fclose(f);
        rename(written.c_str(), slot_file(INIT_DATA_FILE).c_str());
    }
}

bool TestClient::copy_program_into_slot() {
    std::string copy = slot_file("tidewrack");
    std::ifstream in(TIDEWRACK_EXE, std::ios::binary);
    std::ofstream out(copy, std::ios::binary);
    out << in.rdbuf();
    out.close();
    if (!in || !out || chmod(copy.c_str(), 0755) != 0) return false;
    program = copy;
    return true;
}

void TestClient::start(const char* display) {
    fflush(nullptr);
    child = fork();
    if (child == 0) {
        if (chdir(slot_dir.c_str()) != 0) _exit(127);
        if (!display) unsetenv("DISPLAY");
        else if (*display) setenv("DISPLAY", display, 1);
        execl(program.c_str(), program.c_str(), (char*)nullptr);
        _exit(127);
    }
    if (shm) {
        heartbeat_running = true;
        heartbeat_thread = std::thread(&TestClient::send_heartbeats, this);
    }
}

void TestClient::start_graphics(const std::string& argv0, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(argv0.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    fflush(nullptr);
    child = fork();
    if (child == 0) {
        if (chdir(slot_dir.c_str()) != 0) _exit(127);
        execv(TIDEWRACK_GRAPHICS_EXE, argv.data());
        _exit(127);
    }
}

void TestClient::send_heartbeats() {
    while (heartbeat_running) {
        shm->heartbeat.send_msg("<heartbeat/>");
        for (int i = 0; i < 20 && heartbeat_running; i++) pause_briefly();
    }
}

bool TestClient::running() {
    if (child <= 0) return false;
    int status;
    pid_t done = waitpid(child, &status, WNOHANG);
    if (done != child) return true;
    exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
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
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    child = 0;
    exit_status = -2;
}

void TestClient::send_graphics_request(const char* msg) {
    if (!shm) return;
    double deadline = test_clock() + 60;
    while (!shm->graphics_request.send_msg(msg) && running() && test_clock() < deadline)
        pause_briefly();
}

std::string TestClient::wait_for_graphics_reply(double timeout_seconds) {
    if (!shm) return "";
    double deadline = test_clock() + timeout_seconds;
    char buf[MSG_CHANNEL_SIZE];
    while (test_clock() < deadline) {
        bool alive = running();
        if (shm->graphics_reply.get_msg(buf)) return buf;
        if (!alive) break;   // no reply will come
        pause_briefly();
    }
    return "";
}

std::string TestClient::log() const {
    std::ifstream in(slot_file("stderr.txt"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TestClient::graphics_log() const {
    std::ifstream in(slot_file("stderrgfx.txt"));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool TestClient::wait_for_log(const std::string& text, double timeout_seconds) {
    double deadline = test_clock() + timeout_seconds;
    for (;;) {
        bool alive = running();
        if (log().find(text) != std::string::npos) return true;
        if (!alive || test_clock() > deadline) return false;
        pause_briefly();
    }
}
