// Measures programs that answer a hotkey by starting the script runner
// (kestrel.exe and the reference program beside this file), for scripts/bench.
// It starts them side by side, each with a hotkey of its own, and a source
// program to copy from, then presses the hotkeys as a person would, taking
// turns press by press (so that a desktop slowing down or speeding up meets
// every program and state alike), and times each press from the injected
// hotkey to the moment the stand-in runner's process was created (what the
// program did, without the runner's own start-up), and to the runner's record
// made once its window is shown (the two together, as a user waits for them):
//   kestrel_bench_driver (--program NAME CMDLINE MODIFIERS VK)... --source CMDLINE
//       --source-title T [--custom | --console | --list] (--state NAME START END)... --presses N
//       --runner-log PATH --runner-start PATH
// prints "latency <program> <state> <median ms> <p90 ms> <presses timed> <presses lost>"
// (to the runner's process) and "window <program> <state> ..." (to its window)
// for each; MODIFIERS are RegisterHotKey's, a state is the source's selection
// (START == END: only a caret; a console keeps its cursor where it is; the
// list program has its rows chosen again as at its start). With
//   kestrel_bench_driver --program NAME CMDLINE MODIFIERS VK --idle SECONDS
// it prints "idle <CPU ms> <working set KiB>" for the program left alone.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/chord.h"
#include "fixtures/controls_app.h"
#include "fixtures/list_app.h"

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
    std::wstring source, sourceTitle, runnerLog, runnerStart;
    bool custom = false, console = false, list = false;
    int presses = 15;
    int idleSeconds = 0;
};

struct Process {
    HANDLE handle = nullptr;
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { End(); }
    void End() {
        if (!handle) return;
        TerminateProcess(handle, 0);
        WaitForSingleObject(handle, 5000);
        CloseHandle(handle);
        handle = nullptr;
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

// System time in 100 ns ticks, the clock the runner's process times are on.
std::uint64_t PreciseNow() {
    FILETIME f;
    GetSystemTimePreciseAsFileTime(&f);
    return (static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
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

// The runner's window must be gone and its records removed before the next
// press, so that each press starts from the same desktop.
void ClearRunner(const std::wstring& log, const std::wstring& start) {
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
    for (int i = 0; i < 200 && GetFileAttributesW(start.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
        DeleteFileW(start.c_str());
        Sleep(5);
    }
}

// When the runner's process was created, from the first record in its start
// file; 0 when there is none.
std::uint64_t RunnerCreated(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    char text[128] = "";
    DWORD read = 0;
    ReadFile(f, text, sizeof text - 1, &read, nullptr);
    CloseHandle(f);
    text[read] = '\0';
    return std::strtoull(text, nullptr, 10);
}

// The source's selection or caret as the state wants it, and its window in front.
bool ResetSource(const Options& o, const State& state) {
    HWND main = FindWindowW(nullptr, o.sourceTitle.c_str());
    if (!main) return false;
    if (o.console) {
        // Kestrel reads the cursor's line; nothing it does moves the cursor.
    } else if (o.list) {
        // Keys typed into the list would have moved its selection.
        SendMessageW(main, kestrel::fixtures::kResetSelection, 0, 0);
    } else if (o.custom) {
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

struct Timing {
    double toProcess = -1, toWindow = -1;  // ms; negative: the runner did not start within 5 s
};

// One press of the program's hotkey from the state. Nothing when the source's
// window is missing.
std::optional<Timing> Press(const Options& o, const Program& program, const State& state) {
    ClearRunner(o.runnerLog, o.runnerStart);
    if (!ResetSource(o, state)) return std::nullopt;
    Sleep(300);
    Timing timing;
    LARGE_INTEGER start, now;
    const std::uint64_t pressed = PreciseNow();
    QueryPerformanceCounter(&start);
    kestrel::fixtures::PressChord(program.chord);
    do {
        if (GetFileAttributesW(o.runnerLog.c_str()) != INVALID_FILE_ATTRIBUTES) {
            QueryPerformanceCounter(&now);
            timing.toWindow = Ms(start, now);
            const std::uint64_t created = RunnerCreated(o.runnerStart);
            if (created >= pressed) timing.toProcess = static_cast<double>(created - pressed) / 10000.0;
            Sleep(200);
            return timing;
        }
        Sleep(1);
        QueryPerformanceCounter(&now);
    } while (Ms(start, now) < 5000);
    return timing;
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

struct Series {
    std::vector<double> timed;
    int lost = 0;
};

void PrintSeries(const char* what, const std::wstring& program, const std::wstring& state, const Series& r) {
    std::printf("%s %ls %ls ", what, program.c_str(), state.c_str());
    if (r.timed.empty()) std::printf("- - 0 %d\n", r.lost);
    else std::printf("%.1f %.1f %zu %d\n", Percentile(r.timed, 0.5), Percentile(r.timed, 0.9), r.timed.size(), r.lost);
}

int Latency(const Options& o) {
    Process source;
    if (!Start(o.source, source)) return 3;
    Sleep(1500);
    int restarts = 0;
    std::vector<std::vector<Series>> toProcess(o.programs.size(), std::vector<Series>(o.states.size()));
    auto toWindow = toProcess;
    // Round 0 is untimed: the first start of the runner loads what later ones
    // find ready, and a program may learn from its first presses.
    for (int round = 0; round <= o.presses; ++round) {
        for (std::size_t s = 0; s < o.states.size(); ++s) {
            for (std::size_t turn = 0; turn < o.programs.size(); ++turn) {
                // Each program goes first in every other round.
                const auto p = round % 2 ? o.programs.size() - 1 - turn : turn;
                auto timing = Press(o, o.programs[p], o.states[s]);
                if (!timing && restarts < 3) {
                    // The console fixture ends after a minute of its own accord.
                    ++restarts;
                    source.End();
                    if (!Start(o.source, source)) return 3;
                    Sleep(1500);
                    timing = Press(o, o.programs[p], o.states[s]);
                }
                if (!timing) {
                    std::fprintf(stderr, "the source window is missing\n");
                    return 4;
                }
                if (timing->toWindow < 0) {
                    // Said on the error stream, so that a lost press can be told why.
                    std::fprintf(stderr, "%ls, %ls: the runner did not start\n", o.programs[p].name.c_str(),
                                 o.states[s].name.c_str());
                    EnumWindows(ReportBox, 0);
                }
                if (timing->toWindow >= 0 && timing->toProcess < 0)
                    std::fprintf(stderr, "%ls, %ls: the runner recorded no start time\n", o.programs[p].name.c_str(),
                                 o.states[s].name.c_str());
                if (round == 0) continue;
                for (auto [ms, series] : {std::pair{timing->toProcess, &toProcess}, std::pair{timing->toWindow, &toWindow}}) {
                    if (ms >= 0) (*series)[p][s].timed.push_back(ms);
                    else ++(*series)[p][s].lost;
                }
            }
        }
    }
    ClearRunner(o.runnerLog, o.runnerStart);
    for (std::size_t p = 0; p < o.programs.size(); ++p) {
        for (std::size_t s = 0; s < o.states.size(); ++s) {
            PrintSeries("latency", o.programs[p].name, o.states[s].name, toProcess[p][s]);
            PrintSeries("window", o.programs[p].name, o.states[s].name, toWindow[p][s]);
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
        else if (a == L"--runner-start") o.runnerStart = next();
        else if (a == L"--custom") o.custom = true;
        else if (a == L"--console") o.console = true;
        else if (a == L"--list") o.list = true;
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
