#include "platform/win32/remote_memory.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace kestrel::win32 {
namespace {

// Whether the process runs 64-bit code. IsWow64Process2 tells the process's
// machine under WoW64 (x86 or ARM32: 32-bit), and else the system's; where
// the system lacks it (before Windows 10), IsWow64Process tells a 32-bit
// program under a 64-bit system.
std::optional<bool> Is64Bit(HANDLE process) {
    using IsWow64Process2Call = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    const auto isWow64Process2 = reinterpret_cast<IsWow64Process2Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2")));
    if (isWow64Process2) {
        USHORT processMachine = 0, nativeMachine = 0;
        if (!isWow64Process2(process, &processMachine, &nativeMachine)) return std::nullopt;
        if (processMachine != IMAGE_FILE_MACHINE_UNKNOWN) return false;
        return nativeMachine == IMAGE_FILE_MACHINE_AMD64 || nativeMachine == IMAGE_FILE_MACHINE_ARM64 ||
               nativeMachine == IMAGE_FILE_MACHINE_IA64;
    }
    BOOL underWow64 = FALSE;
#ifndef _WIN64
    // A 32-bit program not under WoW64 runs on a 32-bit system, as does every other.
    if (!IsWow64Process(GetCurrentProcess(), &underWow64)) return std::nullopt;
    if (!underWow64) return false;
#endif
    if (!IsWow64Process(process, &underWow64)) return std::nullopt;
    return !underWow64;
}

constexpr std::uint64_t k4Gb = 0x100000000u;

#ifdef _WIN64
// A block for a 32-bit process must lie where its pointers reach: in the
// first free range below 4 GB that holds it.
void* AllocateBelow4Gb(HANDLE process, std::size_t size) {
    constexpr std::uint64_t kGranularity = 0x10000;
    MEMORY_BASIC_INFORMATION region{};
    for (std::uint64_t at = kGranularity; at + size <= k4Gb; at = reinterpret_cast<std::uint64_t>(region.BaseAddress) + region.RegionSize) {
        if (!VirtualQueryEx(process, reinterpret_cast<void*>(at), &region, sizeof region)) return nullptr;
        const auto start = (reinterpret_cast<std::uint64_t>(region.BaseAddress) + kGranularity - 1) & ~(kGranularity - 1);
        if (region.State == MEM_FREE && start + size <= reinterpret_cast<std::uint64_t>(region.BaseAddress) + region.RegionSize &&
            start + size <= k4Gb)
            if (void* block = VirtualAllocEx(process, reinterpret_cast<void*>(start), size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
                return block;
    }
    return nullptr;
}
#endif

// The address as this program's pointer, when it can name it.
std::optional<void*> Local(std::uint64_t address) {
    if (address > std::numeric_limits<std::uintptr_t>::max()) return std::nullopt;
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

}  // namespace

std::optional<RemoteProcess> RemoteProcess::Open(DWORD processId, bool& refused) {
    RemoteProcess process;
    *process.handle_.receive() = OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
        processId);
    refused = !process.handle_ && GetLastError() == ERROR_ACCESS_DENIED;
    if (!process.handle_) return std::nullopt;
    const auto is64Bit = Is64Bit(process.handle());
    if (!is64Bit) return std::nullopt;
    process.is64Bit_ = *is64Bit;
    return process;
}

std::optional<RemoteBlock> RemoteBlock::Allocate(const RemoteProcess& process, std::size_t size) {
    // From a 32-bit program WoW64 places the block below 2 GB even in a 64-bit
    // process (it must fit the pointer returned, and the program is not large
    // address aware), so its address reaches a 64-bit control unchanged in a
    // 32-bit message parameter, whether the system widens it with or without
    // its sign.
    void* address = VirtualAllocEx(process.handle(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address) return std::nullopt;
    auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
#ifdef _WIN64
    // Our allocation in a 32-bit process is not bound to what it can name.
    if (!process.is64Bit() && value + size > k4Gb) {
        VirtualFreeEx(process.handle(), address, 0, MEM_RELEASE);
        address = AllocateBelow4Gb(process.handle(), size);
        if (!address) return std::nullopt;
        value = reinterpret_cast<std::uint64_t>(address);
    }
#else
    if (process.is64Bit() && value > 0x7FFFFFFFu) {
        VirtualFreeEx(process.handle(), address, 0, MEM_RELEASE);
        return std::nullopt;
    }
#endif
    return RemoteBlock(process.handle(), value, size);
}

RemoteBlock::RemoteBlock(RemoteBlock&& other) noexcept
    : process_(other.process_),
      address_(std::exchange(other.address_, 0)),
      size_(other.size_),
      abandoned_(other.abandoned_) {}

RemoteBlock::~RemoteBlock() {
    if (address_ && !abandoned_) VirtualFreeEx(process_, *Local(address_), 0, MEM_RELEASE);
}

bool RemoteBlock::Write(std::size_t offset, const void* bytes, std::size_t count) const {
    if (offset + count > size_) return false;
    SIZE_T written = 0;
    return WriteProcessMemory(process_, static_cast<char*>(*Local(address_)) + offset, bytes, count, &written) &&
           written == count;
}

bool RemoteBlock::Read(std::size_t offset, void* bytes, std::size_t count) const {
    if (offset + count > size_) return false;
    SIZE_T read = 0;
    return ReadProcessMemory(process_, static_cast<const char*>(*Local(address_)) + offset, bytes, count, &read) &&
           read == count;
}

void FreeRemoteBlock(HANDLE process, std::uint64_t address) {
    if (const auto local = Local(address)) VirtualFreeEx(process, *local, 0, MEM_RELEASE);
}

bool SameAllocation(HANDLE process, std::uint64_t address, std::uint64_t known) {
    const auto allocation = [process](std::uint64_t at) -> std::optional<std::uint64_t> {
        if (const auto local = Local(at)) {
            MEMORY_BASIC_INFORMATION region{};
            if (!VirtualQueryEx(process, *local, &region, sizeof region) || region.State != MEM_COMMIT) return std::nullopt;
            return reinterpret_cast<std::uintptr_t>(region.AllocationBase);
        }
        // Beyond what a 32-bit program can name: WoW64's own form of the question.
        using Query64 = LONG(NTAPI*)(HANDLE, ULONG64, DWORD, void*, ULONG64, ULONG64*);
        const auto query = reinterpret_cast<Query64>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtWow64QueryVirtualMemory64")));
        MEMORY_BASIC_INFORMATION64 region{};
        if (!query || query(process, at, 0 /* basic information */, &region, sizeof region, nullptr) < 0 ||
            region.State != MEM_COMMIT)
            return std::nullopt;
        return region.AllocationBase;
    };
    const auto theirs = allocation(address);
    return theirs && theirs == allocation(known);
}

std::optional<std::wstring> ReadRemoteText(HANDLE process, std::uint64_t address, std::size_t maxLength) {
    // A page at a time: the text may end just before a page that is not there.
    constexpr std::uint64_t kPage = 4096;
    std::wstring text;
    while (text.size() < maxLength) {
        const auto local = Local(address);
        if (!local || address % sizeof(wchar_t)) return std::nullopt;
        const auto units = std::min<std::uint64_t>((kPage - address % kPage) / sizeof(wchar_t), maxLength - text.size());
        std::wstring chunk(static_cast<std::size_t>(units), L'\0');
        SIZE_T read = 0;
        if (!ReadProcessMemory(process, *local, chunk.data(), chunk.size() * sizeof(wchar_t), &read) ||
            read != chunk.size() * sizeof(wchar_t))
            return std::nullopt;
        const auto end = chunk.find(L'\0');
        text.append(chunk, 0, end);
        if (end != std::wstring::npos) break;
        address += units * sizeof(wchar_t);
    }
    return text;
}

}  // namespace kestrel::win32
