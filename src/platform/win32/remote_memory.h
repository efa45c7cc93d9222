#pragma once
// Memory in another process, for the controls' messages whose structures the
// system does not carry across processes: the structure and its text buffer
// must lie where the control's own code can reach them.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32/handles.h"

namespace kestrel::win32 {

// A process opened for reading and writing its memory and for waiting on its
// end, and how wide its pointers are.
class RemoteProcess {
public:
    // Nothing when the process cannot be opened so (another user's, or one
    // running with more rights than ours: `refused` then says so).
    static std::optional<RemoteProcess> Open(DWORD processId, bool& refused);
    HANDLE handle() const { return handle_.get(); }
    bool is64Bit() const { return is64Bit_; }

private:
    KernelHandle handle_;
    bool is64Bit_ = false;
};

// A committed block in a process, freed with the object. Its address is a
// 64-bit number even in the 32-bit program, as the source may be 64-bit.
class RemoteBlock {
public:
    static std::optional<RemoteBlock> Allocate(const RemoteProcess& process, std::size_t size);
    ~RemoteBlock();
    RemoteBlock(RemoteBlock&& other) noexcept;
    RemoteBlock& operator=(RemoteBlock&&) = delete;
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    std::uint64_t address() const { return address_; }
    std::size_t size() const { return size_; }
    bool Write(std::size_t offset, const void* bytes, std::size_t count) const;
    bool Read(std::size_t offset, void* bytes, std::size_t count) const;
    // Not freed with the object: a question carrying its address went
    // unanswered, and the control may still write into it once it gets to
    // it. One freed under it would make the source fail.
    void Abandon() { abandoned_ = true; }
    // The question was answered: the block is ours again.
    void Reclaim() { abandoned_ = false; }
    bool abandoned() const { return abandoned_; }

private:
    RemoteBlock(HANDLE process, std::uint64_t address, std::size_t size)
        : process_(process), address_(address), size_(size) {}
    HANDLE process_ = nullptr;
    std::uint64_t address_ = 0;
    std::size_t size_ = 0;
    bool abandoned_ = false;
};

// Frees a block abandoned earlier, once the control's thread has answered a
// question sent after the one that carried it (it takes them in order).
void FreeRemoteBlock(HANDLE process, std::uint64_t address);

// Whether `address` lies in the same allocation as `known` in the process,
// as the system's record of its memory says (addresses beyond 4 GB too, from
// the 32-bit program, where the system has the call for it).
bool SameAllocation(HANDLE process, std::uint64_t address, std::uint64_t known);

// Up to `maxLength` UTF-16 units from `address` in the process, to the first
// NUL; nothing when the address is not readable (or, in the 32-bit program,
// beyond the 4 GB it can name).
std::optional<std::wstring> ReadRemoteText(HANDLE process, std::uint64_t address, std::size_t maxLength);

}  // namespace kestrel::win32
