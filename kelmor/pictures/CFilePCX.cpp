#include "CFilePCX.h"

#include <cstdint>
#include <vector>

#include "FileBytes.h"
#include "pictures/core/PcxDecoder.h"

namespace kelmor {

bool CFilePCX::Verify(const std::wstring& fileName) {
    // The format's only signature is its first byte; a file of another format that starts with
    // 10 passes here and is refused by the decoder, so the readers after this one get it.
    std::vector<std::uint8_t> head;
    if (!ReadFileBytes(fileName, head, core::kPcxSignatureSize)) return false;
    return core::IsPcx(head);
}

bool CFilePCX::ReadImage(const std::wstring& fileName, core::DIBImage& record) {
    // The whole file in one read, header, pixel data and palette, then decoded from memory.
    std::vector<std::uint8_t> file;
    if (!ReadFileBytes(fileName, file)) return false;
    return core::DecodePcx(file, record);
}

}  // namespace kelmor
