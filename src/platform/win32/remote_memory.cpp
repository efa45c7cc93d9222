#include "platform/win32/remote_memory.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace kestrel::win32 {
namespace {

// Whether the process runs 64-bit code. IsWow64Process tells a 32-bit
// program under a 64-bit system (an x86 one on ARM64 too); an x64 program on
// ARM64 is not one, and lays its structures out as on x64.
std::optional<bool> Is64Bit(HANDLE process) {
    BOOL underWow64 = FALSE;
#ifndef _WIN64
    // A 32-bit program not under WoW64 runs on a 32-bit system, as does every other.
    if (!IsWow64Process(GetCurrentProcess(), &underWow64)) return std::nullopt;
    if (!underWow64) return false;
#endif
    if (!IsWow64Process(process, &underWow64)) return std::nullopt;
    return !underWow64;
}

// The address as this program's pointer, when it can name it.
std::optional<void*> Local(std::uint64_t address) {
    if (address > std::numeric_limits<std::uintptr_t>::max()) return std::nullopt;
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(address));
}

}  // namespace

std::optional<RemoteProcess> RemoteProcess::Open(DWORD processId) {
    RemoteProcess process;
    *process.handle_.receive() = OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
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
    const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address));
#ifndef _WIN64
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
