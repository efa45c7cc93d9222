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
// it prints "idle <CPU ms> <working set KiB>" for the program left alone. With
//   ... --fresh-starts R (the first program alone)
// it starts the program R + 1 times, each time with a new source window, and
// presses N times in each state in the order given; the first start teaches
// the program the source, the presses after each later start are timed:
// "fresh <program> <state> ..." as above, and "startup <median ms> <max ms>
// <starts>", from the process's creation to its log saying the hotkey is
// registered (its start adds the icon before that). With
//   ... --day N (--day-source edit|custom|list|console VALUE CMDLINE)... --state NAME START END
// it runs the first program and every source at once, all titled T, and
// presses N times over the sources by turns (the state's selection in the
// edit and custom ones): "day <presses> <right> <lost>" (right: the runner
// was given the source's VALUE, ASCII), "startup <ms>", and
// "figures <after> <handles> <GDI objects> <USER objects> <private KiB>
// <working set KiB>" after the first 50 presses and after the last, "-" for
// a count the system gives no figure for (Wine: 0 for another process), and
// "daylatency <program> <kind> ..." as "latency" above, over the presses
// after the first 50, by source.
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

enum class SourceKind { Edit, Custom, Console, List };

const wchar_t* KindName(SourceKind kind) {
    const wchar_t* names[] = {L"edit", L"custom", L"console", L"list"};
    return names[static_cast<int>(kind)];
}

struct DaySource {
    SourceKind kind;
    std::string value;  // as the runner is given it, quoted
    std::wstring commandLine;
};

struct Options {
    std::vector<Program> programs;
    std::vector<State> states;
    std::wstring source, sourceTitle, runnerLog, runnerStart;
    SourceKind kind = SourceKind::Edit;
    int presses = 15;
    int idleSeconds = 0;
    int freshStarts = 0;
    int dayPresses = 0;
    std::vector<DaySource> daySources;
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
bool ResetSource(HWND main, SourceKind kind, const State& state) {
    if (!main || !IsWindow(main)) return false;
    switch (kind) {
    case SourceKind::Console:
        // Kestrel reads the cursor's line; nothing it does moves the cursor.
        break;
    case SourceKind::List:
        // Keys typed into the list would have moved its selection.
        SendMessageW(main, kestrel::fixtures::kResetSelection, 0, 0);
        break;
    case SourceKind::Custom:
        SendMessageW(GetDlgItem(main, kestrel::fixtures::kCustomText), kestrel::fixtures::kCustomSetSelection,
                     static_cast<WPARAM>(state.selStart), state.selEnd);
        break;
    case SourceKind::Edit:
        SendMessageW(FindWindowExW(main, nullptr, L"Edit", nullptr), EM_SETSEL, static_cast<WPARAM>(state.selStart),
                     state.selEnd);
        break;
    }
    SetForegroundWindow(main);
    // Another program's window comes to the front a moment later; a press
    // before that would serve the window that was in front.
    for (int i = 0; i < 200 && GetForegroundWindow() != main; ++i) Sleep(10);
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

// A press's pauses: before it, for the desktop to settle with the source in
// front, and after the runner's record, for it to finish.
struct Pauses {
    DWORD before = 300, after = 200;
};

// One press of the program's hotkey from the state in the source's window
// `main`. Nothing when the window is missing.
std::optional<Timing> PressIn(const Options& o, const Program& program, HWND main, SourceKind kind, const State& state,
                              Pauses pauses = {}) {
    ClearRunner(o.runnerLog, o.runnerStart);
    if (!ResetSource(main, kind, state)) return std::nullopt;
    Sleep(pauses.before);
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
            Sleep(pauses.after);
            return timing;
        }
        Sleep(1);
        QueryPerformanceCounter(&now);
    } while (Ms(start, now) < 5000);
    return timing;
}

std::optional<Timing> Press(const Options& o, const Program& program, const State& state) {
    return PressIn(o, program, FindWindowW(nullptr, o.sourceTitle.c_str()), o.kind, state);
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

// Said on the error stream, so that a lost press can be told why.
void SayLost(const Timing& timing, const Program& program, const State& state) {
    if (timing.toWindow < 0) {
        std::fprintf(stderr, "%ls, %ls: the runner did not start\n", program.name.c_str(), state.name.c_str());
        EnumWindows(ReportBox, 0);
    }
    if (timing.toWindow >= 0 && timing.toProcess < 0)
        std::fprintf(stderr, "%ls, %ls: the runner recorded no start time\n", program.name.c_str(), state.name.c_str());
}

void Add(const Timing& timing, Series& toProcess, Series& toWindow) {
    for (auto [ms, series] : {std::pair{timing.toProcess, &toProcess}, std::pair{timing.toWindow, &toWindow}}) {
        if (ms >= 0) series->timed.push_back(ms);
        else ++series->lost;
    }
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
                SayLost(*timing, o.programs[p], o.states[s]);
                if (round == 0) continue;
                Add(*timing, toProcess[p][s], toWindow[p][s]);
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

std::string ReadAll(const std::wstring& path, std::uint64_t from = 0) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(from);
    SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(f, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
    CloseHandle(f);
    return text;
}

std::uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Kestrel's log, in the user's local application data.
std::wstring KestrelLog() {
    wchar_t folder[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH);
    return std::wstring(folder) + L"\\Kestrel\\kestrel.log";
}

// Whether the text has a line saying the hotkey was registered (not "not registered").
bool SaysRegistered(const std::string& text) {
    for (std::size_t at = text.find(" hotkey "); at != std::string::npos; at = text.find(" hotkey ", at + 1)) {
        const auto end = text.find('\n', at);
        if (end == std::string::npos) return false;  // not written whole yet
        const auto line = text.substr(at, end - at);
        if (line.find(" registered") != std::string::npos && line.find(" not registered") == std::string::npos)
            return true;
    }
    return false;
}

// Starts Kestrel as a logon would and waits until its start has registered the
// hotkey, which it does after adding the icon: the ms from just before the
// process was created to its log saying so, or -1 when it did not within 10 s.
double StartTimed(const Program& program, Process& process) {
    const auto log = KestrelLog();
    const auto from = FileSize(log);
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!Start(program.commandLine, process)) return -1;
    do {
        QueryPerformanceCounter(&now);
        if (SaysRegistered(ReadAll(log, from))) return Ms(start, now);
        Sleep(1);
    } while (Ms(start, now) < 10000);
    return -1;
}

struct ProgramWindow {
    DWORD processId = 0;
    HWND found = nullptr;
};

BOOL CALLBACK FindExitButton(HWND hwnd, LPARAM lParam) {
    auto& window = *reinterpret_cast<ProgramWindow*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != window.processId || !FindWindowExW(hwnd, nullptr, L"Button", L"Exit")) return TRUE;
    window.found = hwnd;
    return FALSE;
}

// Ends Kestrel as its Exit does, so that it stores what it learned; ended
// outright when it has not gone within 10 s.
void Close(Process& process) {
    ProgramWindow window{GetProcessId(process.handle)};
    EnumWindows(FindExitButton, reinterpret_cast<LPARAM>(&window));
    if (window.found) PostMessageW(window.found, WM_CLOSE, 0, 0);
    if (!window.found || WaitForSingleObject(process.handle, 10000) != WAIT_OBJECT_0)
        std::fprintf(stderr, "kestrel did not end by its Exit\n");
    process.End();
}

int FreshStarts(const Options& o) {
    const Program& program = o.programs.front();
    std::vector<Series> toProcess(o.states.size()), toWindow(o.states.size());
    std::vector<double> startups;
    for (int round = 0; round <= o.freshStarts; ++round) {
        Process kestrel, source;
        const double startup = StartTimed(program, kestrel);
        if (startup < 0) {
            std::fprintf(stderr, "%ls did not register its hotkey\n", program.name.c_str());
            return 2;
        }
        if (round > 0) startups.push_back(startup);
        // A new window of the program seen before, as after a logon.
        if (!Start(o.source, source)) return 3;
        Sleep(1500);
        for (std::size_t s = 0; s < o.states.size(); ++s) {
            for (int i = 0; i < o.presses; ++i) {
                const auto timing = Press(o, program, o.states[s]);
                if (!timing) {
                    std::fprintf(stderr, "the source window is missing\n");
                    return 4;
                }
                SayLost(*timing, program, o.states[s]);
                if (round > 0) Add(*timing, toProcess[s], toWindow[s]);
            }
        }
        ClearRunner(o.runnerLog, o.runnerStart);
        source.End();
        Close(kestrel);
    }
    for (std::size_t s = 0; s < o.states.size(); ++s) {
        PrintSeries("fresh", program.name, o.states[s].name, toProcess[s]);
        PrintSeries("fresh-window", program.name, o.states[s].name, toWindow[s]);
    }
    std::printf("startup %.1f %.1f %zu\n", Percentile(startups, 0.5), *std::max_element(startups.begin(), startups.end()),
                startups.size());
    return 0;
}

struct TitledWindows {
    const std::wstring* title;
    std::vector<HWND> found;
};

BOOL CALLBACK FindTitled(HWND hwnd, LPARAM lParam) {
    auto& windows = *reinterpret_cast<TitledWindows*>(lParam);
    wchar_t title[256] = L"";
    GetWindowTextW(hwnd, title, 256);
    if (*windows.title == title) windows.found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> WindowsTitled(const std::wstring& title) {
    TitledWindows windows{&title, {}};
    EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&windows));
    return windows.found;
}

// Starts a source and finds its window, the one of the title that was not
// there before (a console's window is its host's, not the program's).
HWND StartSource(const std::wstring& commandLine, const std::wstring& title, Process& process) {
    const auto before = WindowsTitled(title);
    if (!Start(commandLine, process)) return nullptr;
    for (int i = 0; i < 1000; ++i, Sleep(10))
        for (HWND hwnd : WindowsTitled(title))
            if (std::find(before.begin(), before.end(), hwnd) == before.end()) return hwnd;
    return nullptr;
}

// What the system counts of the process: "-" for a count of 0, which no
// running program with windows and an icon has (Wine gives 0 for another process).
void PrintFigures(const char* after, HANDLE process) {
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles)) handles = 0;
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS), user = GetGuiResources(process, GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) memory = {};
    std::printf("figures %s", after);
    for (const std::uint64_t count : {std::uint64_t{handles}, std::uint64_t{gdi}, std::uint64_t{user},
                                      std::uint64_t{memory.PrivateUsage / 1024}, std::uint64_t{memory.WorkingSetSize / 1024}}) {
        if (count) std::printf(" %llu", static_cast<unsigned long long>(count));
        else std::printf(" -");
    }
    std::printf("\n");
    std::fflush(stdout);
}

int Day(const Options& o) {
    const Program& program = o.programs.front();
    const State& state = o.states.front();
    Process kestrel;
    const double startup = StartTimed(program, kestrel);
    if (startup < 0) {
        std::fprintf(stderr, "%ls did not register its hotkey\n", program.name.c_str());
        return 2;
    }
    std::vector<Process> sources(o.daySources.size());
    std::vector<HWND> windows;
    for (std::size_t i = 0; i < o.daySources.size(); ++i) {
        windows.push_back(StartSource(o.daySources[i].commandLine, o.sourceTitle, sources[i]));
        if (!windows.back()) {
            std::fprintf(stderr, "source %zu has no window\n", i + 1);
            return 3;
        }
    }
    Sleep(1000);
    // A working day is about what stays behind, not speed: short pauses.
    const Pauses pauses{50, 20};
    constexpr int kEarly = 50;
    int right = 0, lost = 0;
    // By source: the routes timed by turns, under the same load.
    std::vector<Series> toProcess(o.daySources.size()), toWindow(o.daySources.size());
    for (int press = 0; press < o.dayPresses; ++press) {
        const auto i = static_cast<std::size_t>(press) % windows.size();
        const auto timing = PressIn(o, program, windows[i], o.daySources[i].kind, state, pauses);
        if (!timing) {
            std::fprintf(stderr, "source %zu's window is missing\n", i + 1);
            return 4;
        }
        SayLost(*timing, program, state);
        if (press >= kEarly) Add(*timing, toProcess[i], toWindow[i]);
        if (timing->toWindow < 0) {
            ++lost;
        } else if (ReadAll(o.runnerLog).find(o.daySources[i].value) != std::string::npos) {
            ++right;
        } else {
            std::fprintf(stderr, "day: a press in the %ls source gave the runner another value\n",
                         KindName(o.daySources[i].kind));
        }
        if (press + 1 == std::min(kEarly, o.dayPresses)) PrintFigures("first", kestrel.handle);
    }
    ClearRunner(o.runnerLog, o.runnerStart);
    PrintFigures("last", kestrel.handle);
    std::printf("day %d %d %d\nstartup %.1f\n", o.dayPresses, right, lost, startup);
    for (std::size_t i = 0; i < o.daySources.size(); ++i)
        PrintSeries("daylatency", program.name, KindName(o.daySources[i].kind), toProcess[i]);
    Close(kestrel);
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
        else if (a == L"--custom") o.kind = SourceKind::Custom;
        else if (a == L"--console") o.kind = SourceKind::Console;
        else if (a == L"--list") o.kind = SourceKind::List;
        else if (a == L"--presses") o.presses = std::stoi(next());
        else if (a == L"--idle") o.idleSeconds = std::stoi(next());
        else if (a == L"--fresh-starts") o.freshStarts = std::stoi(next());
        else if (a == L"--day") o.dayPresses = std::stoi(next());
        else if (a == L"--day-source") {
            const auto kind = next();
            const auto value = next();
            const auto commandLine = next();
            const SourceKind kinds[] = {SourceKind::Edit, SourceKind::Custom, SourceKind::List, SourceKind::Console};
            const wchar_t* names[] = {L"edit", L"custom", L"list", L"console"};
            for (int k = 0; k < 4; ++k)
                if (kind == names[k])
                    o.daySources.push_back({kinds[k], "'" + std::string(value.begin(), value.end()) + "'", commandLine});
        }
    }
    if (o.programs.empty() || (o.idleSeconds == 0 && o.states.empty()) || (o.dayPresses > 0 && o.daySources.empty())) {
        std::fprintf(stderr, "nothing to measure\n");
        return 2;
    }
    // These start the program themselves, timing its start.
    if (o.freshStarts > 0) return FreshStarts(o);
    if (o.dayPresses > 0) return Day(o);
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
