// The programs' own main on Windows. The build compiles each program's main
// under this name: mingw's start-up code would call a function named main
// itself, and on Windows a GUI program starts at WinMain (winmain_win32.cpp).
#pragma once

int tidewrack_main(int argc, char** argv);
