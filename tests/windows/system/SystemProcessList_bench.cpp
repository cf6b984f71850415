// Times the process list by both methods and a shutdown pass that finds nothing to close.
// Prints the median of each over a number of rounds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "system/Platform_win32.h"
#include "system/Processes_win32.h"
#include "system/Shutdown_win32.h"

namespace {
double MedianMs(int rounds, const std::function<void()>& work)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        work();
        ::QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
}  // namespace

int main()
{
    const int rounds = 51;
    size_t entries = 0;
    const double toolHelp = MedianMs(rounds, [&] {
        ProcessList list;
        GetProcessList(list, true);
        entries = list.size();
    });
    const double psapi = MedianMs(rounds, [&] {
        ProcessList list;
        GetProcessList(ProcessApi::System(), PlatformVersion{PlatformWin32NT, 4, 0}, list, true);
    });
    const double shutdown =
        MedianMs(rounds, [] { CloseRunningInstances("C:\\Nowhere\\Marlowind.exe"); });
    std::printf("processes listed: %zu\n", entries);
    std::printf("GetProcessList, ToolHelp with path lookup: median %.2f ms\n", toolHelp);
    std::printf("GetProcessList, PSAPI: median %.2f ms\n", psapi);
    std::printf("CloseRunningInstances, no match: median %.2f ms\n", shutdown);
    return 0;
}
