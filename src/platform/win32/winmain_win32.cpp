// The entry of a Windows GUI program. The words come from the process's whole
// command line, program path included, split as the framework splits it; the
// line WinMain itself is handed is not used.
#include "boinc_win.h"

#include <string.h>

#include <vector>

#include "str_util.h"
#include "platform/win32/program_main_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static std::vector<char> line;
    const char* whole = GetCommandLineA();
    line.assign(whole, whole + strlen(whole) + 1);
    // parse_command_line does not bound its vector: room for every word the
    // line can hold, and the closing null.
    static std::vector<char*> argv;
    argv.assign(line.size() / 2 + 2, nullptr);
    int argc = parse_command_line(line.data(), argv.data());
    return tidewrack_main(argc, argv.data());
}
