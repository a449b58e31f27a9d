#include "platform/text/standard_streams.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <cstdio>
#include <cstdlib>

namespace tallomar {

namespace {

UINT consoleCodePage = 0;

void giveBackConsoleCodePage() {
    SetConsoleOutputCP(consoleCodePage);
}

}  // namespace

void useUtf8StandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(giveBackConsoleCodePage);
}

}  // namespace tallomar
