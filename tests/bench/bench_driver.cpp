// Measures one program that answers a hotkey by starting the script runner
// (kestrel.exe, or the reference program beside this file), for scripts/bench.
// It starts the program, and a source program to copy from, presses the
// hotkey as a person would and times each press until the stand-in runner
// records its start:
//   kestrel_bench_driver --program CMDLINE --source CMDLINE --source-title T
//       [--custom] (--select START END | --caret POS) --presses N --runner-log PATH
// prints "latency <median ms> <p90 ms> <presses timed> <presses lost>". With
//   kestrel_bench_driver --program CMDLINE --idle SECONDS
// it prints "idle <CPU ms> <working set KiB>" for the program left alone.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "fixtures/chord.h"
#include "fixtures/controls_app.h"

namespace {

struct Options {
    std::wstring program, source, sourceTitle, runnerLog;
    bool custom = false;
    int selStart = 0, selEnd = 0;
    int presses = 15;
    int idleSeconds = 0;
};

struct Process {
    HANDLE handle = nullptr;
    ~Process() {
        if (handle) {
            TerminateProcess(handle, 0);
            WaitForSingleObject(handle, 5000);
            CloseHandle(handle);
        }
    }
};

bool Start(std::wstring commandLine, Process& process) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    process.handle = pi.hProcess;
    return true;
}

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

BOOL CALLBACK CloseRunner(HWND hwnd, LPARAM found) {
    wchar_t cls[64];
    if (GetClassNameW(hwnd, cls, 64) && std::wstring(cls) == L"KestrelStubRunner") {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}

// The runner's window must be gone and its record removed before the next
// press, so that each press starts from the same desktop.
void ClearRunner(const std::wstring& log) {
    for (int i = 0; i < 200; ++i) {
        bool found = false;
        EnumWindows(CloseRunner, reinterpret_cast<LPARAM>(&found));
        if (!found) break;
        Sleep(10);
    }
    for (int i = 0; i < 200 && GetFileAttributesW(log.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
        DeleteFileW(log.c_str());
        Sleep(5);
    }
}

// The source's selection or caret as the scenario wants it, and its window in front.
bool ResetSource(const Options& o) {
    HWND main = FindWindowW(nullptr, o.sourceTitle.c_str());
    if (!main) return false;
    if (o.custom) {
        // Home collapses the control's selection to the start of the caret's
        // line; a copy with a selection leaves it as it was.
        HWND control = GetDlgItem(main, kestrel::fixtures::kCustomText);
        if (o.selStart == o.selEnd) SendMessageW(control, WM_KEYDOWN, VK_HOME, 0);
    } else {
        HWND edit = FindWindowExW(main, nullptr, L"Edit", nullptr);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(o.selStart), o.selEnd);
    }
    SetForegroundWindow(main);
    return true;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const double rank = p * static_cast<double>(v.size() - 1);
    const auto lo = static_cast<std::size_t>(rank);
    const auto hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (v[hi] - v[lo]) * (rank - static_cast<double>(lo));
}

int Latency(const Options& o) {
    Process source;
    if (!Start(o.source, source)) return 3;
    Sleep(1500);
    std::vector<double> timed;
    int lost = 0;
    // One press first, untimed: the first start of the runner loads what later ones find ready.
    for (int press = 0; press <= o.presses; ++press) {
        ClearRunner(o.runnerLog);
        if (!ResetSource(o)) {
            std::fprintf(stderr, "the source window is missing\n");
            return 4;
        }
        Sleep(300);
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        kestrel::fixtures::PressChord({VK_CONTROL, VK_SHIFT, VK_F11});
        bool started = false;
        do {
            if (GetFileAttributesW(o.runnerLog.c_str()) != INVALID_FILE_ATTRIBUTES) {
                started = true;
                break;
            }
            Sleep(1);
            QueryPerformanceCounter(&now);
        } while (Ms(start, now) < 5000);
        QueryPerformanceCounter(&now);
        if (press == 0) {
            // untimed
        } else if (started) {
            timed.push_back(Ms(start, now));
        } else {
            ++lost;
        }
        Sleep(200);
    }
    ClearRunner(o.runnerLog);
    if (timed.empty()) {
        std::printf("latency - - 0 %d\n", lost);
        return 5;
    }
    std::printf("latency %.1f %.1f %zu %d\n", Percentile(timed, 0.5), Percentile(timed, 0.9), timed.size(), lost);
    return 0;
}

std::uint64_t CpuTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto value = [](FILETIME f) { return (static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return value(kernel) + value(user);
}

int Idle(const Options& o, HANDLE program) {
    const std::uint64_t before = CpuTime(program);
    Sleep(static_cast<DWORD>(o.idleSeconds) * 1000);
    const std::uint64_t after = CpuTime(program);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(program, &memory, sizeof memory);
    std::printf("idle %.1f %zu\n", static_cast<double>(after - before) / 10000.0,
                static_cast<std::size_t>(memory.WorkingSetSize / 1024));
    std::fflush(stdout);
    // Kept a while longer, so that a measure taken from outside over the same
    // ten seconds finds it still there.
    Sleep(3000);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto next = [&] { return i + 1 < argc ? std::wstring(argv[++i]) : std::wstring(); };
        if (a == L"--program") o.program = next();
        else if (a == L"--source") o.source = next();
        else if (a == L"--source-title") o.sourceTitle = next();
        else if (a == L"--runner-log") o.runnerLog = next();
        else if (a == L"--custom") o.custom = true;
        else if (a == L"--select") { o.selStart = std::stoi(next()); o.selEnd = std::stoi(next()); }
        else if (a == L"--caret") o.selStart = o.selEnd = std::stoi(next());
        else if (a == L"--presses") o.presses = std::stoi(next());
        else if (a == L"--idle") o.idleSeconds = std::stoi(next());
    }
    Process program;
    if (!Start(o.program, program)) {
        std::fprintf(stderr, "cannot start the program\n");
        return 2;
    }
    // Time to register its hotkey and settle, as after a logon.
    Sleep(2000);
    const int rc = o.idleSeconds > 0 ? Idle(o, program.handle) : Latency(o);
    std::fflush(stdout);
    return rc;
}
