#include "CFileTGA.h"

#include <cstdint>
#include <vector>

#include "FileBytes.h"
#include "pictures/core/TgaDecoder.h"

namespace kelmor {

bool CFileTGA::Verify(const std::wstring& fileName) {
    std::vector<std::uint8_t> head;
    if (!ReadFileBytes(fileName, head, core::kTgaHeaderSize)) return false;
    return core::IsTga(head);
}

bool CFileTGA::ReadImage(const std::wstring& fileName, core::DIBImage& record) {
    // The whole file in one read, then decoded from memory.
    std::vector<std::uint8_t> file;
    if (!ReadFileBytes(fileName, file)) return false;
    return core::DecodeTga(file, record);
}

}  // namespace kelmor
