// Measures programs that answer a hotkey by starting the script runner
// (kestrel.exe and the reference program beside this file), for scripts/bench.
// It starts them side by side, each with a hotkey of its own, and a source
// program to copy from, then presses the hotkeys as a person would, taking
// turns press by press (so that a desktop slowing down or speeding up meets
// every program and state alike), and times each press until the stand-in
// runner records its start:
//   kestrel_bench_driver (--program NAME CMDLINE MODIFIERS VK)... --source CMDLINE
//       --source-title T [--custom] (--state NAME START END)... --presses N --runner-log PATH
// prints "latency <program> <state> <median ms> <p90 ms> <presses timed> <presses lost>"
// for each; MODIFIERS are RegisterHotKey's, a state is the source's selection
// (START == END: only a caret). With
//   kestrel_bench_driver --program NAME CMDLINE MODIFIERS VK --idle SECONDS
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

struct Program {
    std::wstring name, commandLine;
    std::vector<WORD> chord;  // the hotkey as keys to press
};

struct State {
    std::wstring name;
    int selStart = 0, selEnd = 0;
};

struct Options {
    std::vector<Program> programs;
    std::vector<State> states;
    std::wstring source, sourceTitle, runnerLog;
    bool custom = false;
    int presses = 15;
    int idleSeconds = 0;
};

struct Process {
    HANDLE handle = nullptr;
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
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

// The source's selection or caret as the state wants it, and its window in front.
bool ResetSource(const Options& o, const State& state) {
    HWND main = FindWindowW(nullptr, o.sourceTitle.c_str());
    if (!main) return false;
    if (o.custom) {
        SendMessageW(GetDlgItem(main, kestrel::fixtures::kCustomText), kestrel::fixtures::kCustomSetSelection,
                     static_cast<WPARAM>(state.selStart), state.selEnd);
    } else {
        HWND edit = FindWindowExW(main, nullptr, L"Edit", nullptr);
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(state.selStart), state.selEnd);
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

// One press of the program's hotkey from the state: ms to the runner's
// start, or a negative number when it did not start within 5 s.
double Press(const Options& o, const Program& program, const State& state) {
    ClearRunner(o.runnerLog);
    if (!ResetSource(o, state)) return -2;
    Sleep(300);
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    kestrel::fixtures::PressChord(program.chord);
    do {
        if (GetFileAttributesW(o.runnerLog.c_str()) != INVALID_FILE_ATTRIBUTES) {
            QueryPerformanceCounter(&now);
            Sleep(200);
            return Ms(start, now);
        }
        Sleep(1);
        QueryPerformanceCounter(&now);
    } while (Ms(start, now) < 5000);
    return -1;
}

BOOL CALLBACK ReportBox(HWND hwnd, LPARAM) {
    wchar_t cls[64] = L"", title[256] = L"", text[512] = L"";
    GetClassNameW(hwnd, cls, 64);
    if (!IsWindowVisible(hwnd) || std::wstring(cls) != L"#32770") return TRUE;
    GetWindowTextW(hwnd, title, 256);
    if (HWND label = FindWindowExW(hwnd, nullptr, L"Static", nullptr)) {
        // The icon comes first; the message is the next static.
        HWND next = FindWindowExW(hwnd, label, L"Static", nullptr);
        GetWindowTextW(next ? next : label, text, 512);
    }
    std::fprintf(stderr, "a box is open: %ls: %ls\n", title, text);
    return TRUE;
}

int Latency(const Options& o) {
    Process source;
    if (!Start(o.source, source)) return 3;
    Sleep(1500);
    struct Series {
        std::vector<double> timed;
        int lost = 0;
    };
    std::vector<std::vector<Series>> series(o.programs.size(), std::vector<Series>(o.states.size()));
    // Round 0 is untimed: the first start of the runner loads what later ones
    // find ready, and a program may learn from its first presses.
    for (int round = 0; round <= o.presses; ++round) {
        for (std::size_t s = 0; s < o.states.size(); ++s) {
            for (std::size_t turn = 0; turn < o.programs.size(); ++turn) {
                // Each program goes first in every other round.
                const auto p = round % 2 ? o.programs.size() - 1 - turn : turn;
                const double ms = Press(o, o.programs[p], o.states[s]);
                if (ms == -2) {
                    std::fprintf(stderr, "the source window is missing\n");
                    return 4;
                }
                if (ms < 0) {
                    // Said on the error stream, so that a lost press can be told why.
                    std::fprintf(stderr, "%ls, %ls: the runner did not start\n", o.programs[p].name.c_str(),
                                 o.states[s].name.c_str());
                    EnumWindows(ReportBox, 0);
                }
                if (round == 0) continue;
                if (ms >= 0) series[p][s].timed.push_back(ms);
                else ++series[p][s].lost;
            }
        }
    }
    ClearRunner(o.runnerLog);
    for (std::size_t p = 0; p < o.programs.size(); ++p) {
        for (std::size_t s = 0; s < o.states.size(); ++s) {
            const auto& r = series[p][s];
            std::printf("latency %ls %ls ", o.programs[p].name.c_str(), o.states[s].name.c_str());
            if (r.timed.empty()) std::printf("- - 0 %d\n", r.lost);
            else std::printf("%.1f %.1f %zu %d\n", Percentile(r.timed, 0.5), Percentile(r.timed, 0.9), r.timed.size(), r.lost);
        }
    }
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

// RegisterHotKey's modifiers and key as the keys a person presses.
std::vector<WORD> Chord(int modifiers, int key) {
    std::vector<WORD> keys;
    if (modifiers & MOD_CONTROL) keys.push_back(VK_CONTROL);
    if (modifiers & MOD_SHIFT) keys.push_back(VK_SHIFT);
    if (modifiers & MOD_ALT) keys.push_back(VK_MENU);
    keys.push_back(static_cast<WORD>(key));
    return keys;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto next = [&] { return i + 1 < argc ? std::wstring(argv[++i]) : std::wstring(); };
        if (a == L"--program") {
            Program program;
            program.name = next();
            program.commandLine = next();
            const int modifiers = std::stoi(next());
            program.chord = Chord(modifiers, std::stoi(next()));
            o.programs.push_back(program);
        } else if (a == L"--state") {
            State state;
            state.name = next();
            state.selStart = std::stoi(next());
            state.selEnd = std::stoi(next());
            o.states.push_back(state);
        }
        else if (a == L"--source") o.source = next();
        else if (a == L"--source-title") o.sourceTitle = next();
        else if (a == L"--runner-log") o.runnerLog = next();
        else if (a == L"--custom") o.custom = true;
        else if (a == L"--presses") o.presses = std::stoi(next());
        else if (a == L"--idle") o.idleSeconds = std::stoi(next());
    }
    if (o.programs.empty() || (o.idleSeconds == 0 && o.states.empty())) {
        std::fprintf(stderr, "nothing to measure\n");
        return 2;
    }
    std::vector<Process> programs(o.programs.size());
    for (std::size_t p = 0; p < o.programs.size(); ++p) {
        if (!Start(o.programs[p].commandLine, programs[p])) {
            std::fprintf(stderr, "cannot start %ls\n", o.programs[p].name.c_str());
            return 2;
        }
    }
    // Time to register their hotkeys and settle, as after a logon.
    Sleep(2000);
    const int rc = o.idleSeconds > 0 ? Idle(o, programs[0].handle) : Latency(o);
    std::fflush(stdout);
    return rc;
}
