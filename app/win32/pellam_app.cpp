// Program entry. The start-up sequence and the main window are built on this;
// for now the program only starts and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*command_line*/, int /*show*/) { return 0; }
