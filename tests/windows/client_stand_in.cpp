// What a Windows program needs of its client under Wine that a Linux test
// cannot give it: the shared memory under its Windows name. The test makes
// the memory as a file in the slot and talks through that file from Linux;
// this maps the file under NAME, runs the program and returns its status.
// Usage: client_stand_in.exe NAME FILE PROGRAM [ARG...]
#include <windows.h>

#include <stdio.h>

#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: client_stand_in.exe NAME FILE PROGRAM [ARG...]\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE mapping = file == INVALID_HANDLE_VALUE
                         ? nullptr
                         : CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, argv[1]);
    if (!mapping) {
        fprintf(stderr, "client_stand_in: cannot map %s as %s (error %lu)\n", argv[2], argv[1],
                (unsigned long)GetLastError());
        return 2;
    }
    std::string line;
    for (int i = 3; i < argc; i++) line += std::string(i > 3 ? " \"" : "\"") + argv[i] + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // Wine now and then fails a process start with an internal error (1359)
    // while its server is young: a few tries.
    for (int tries = 1;; tries++) {
        if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            break;
        DWORD error = GetLastError();
        fprintf(stderr, "client_stand_in: cannot start %s (error %lu)\n", argv[3], (unsigned long)error);
        if (error != ERROR_INTERNAL_ERROR || tries == 5) return 2;
        Sleep(1000);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 2;
    GetExitCodeProcess(process.hProcess, &status);
    return (int)status;
}
