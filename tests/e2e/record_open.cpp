// A stand-in for the desktop's handlers of .html files, http(s) and mailto addresses in the end-to-end
// Wine prefixes: it appends what it was asked to open, one line each, to C:\e2e\opened.log.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The handler is registered as `record_open.exe "%1"`: the target is the first argument.
    const char* target = __argc > 1 ? __argv[1] : "";
    HANDLE lock = CreateMutexA(nullptr, FALSE, "zk-arbolin-e2e-opened");
    WaitForSingleObject(lock, 10000);
    FILE* log = std::fopen("C:\\e2e\\opened.log", "ab");
    if (log) {
        std::fprintf(log, "%s\n", target);
        std::fclose(log);
    }
    ReleaseMutex(lock);
    return log ? 0 : 1;
}
