// The file one picture load is about: its name, and its bytes read from disk at most once, at the
// first reader that asks, then shared by every reader that tries the file. The bytes live in
// movable global memory, so the platform's picture loader reads them through a stream without a
// copy, and stay locked for the decoders while the object lives.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kelmor {

class PictureFile {
public:
    // Implicit: a reader is asked about a file by its name.
    PictureFile(std::wstring name);  // NOLINT
    PictureFile(const wchar_t* name) : PictureFile(std::wstring(name ? name : L"")) {}  // NOLINT
    ~PictureFile();
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    const std::wstring& Name() const { return name_; }
    // Tells this load from every other in the process: a reader that verified this very object may
    // keep what it found for the load that follows.
    std::uint64_t Serial() const { return serial_; }

    // The whole file (read at the first call); empty when it cannot be opened or read, or is larger
    // than the process can hold.
    std::span<const std::uint8_t> Bytes() const;
    // The same bytes as global memory, for a stream over them (never freed by the stream); null
    // when the file could not be read or is empty.
    HGLOBAL Global() const;

private:
    void Read() const;

    std::wstring name_;
    std::uint64_t serial_;
    mutable bool read_ = false;
    mutable HGLOBAL memory_ = nullptr;
    mutable const std::uint8_t* bytes_ = nullptr;
    mutable std::size_t length_ = 0;
};

}  // namespace kelmor
