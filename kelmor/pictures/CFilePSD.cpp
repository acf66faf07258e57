#include "CFilePSD.h"

#include <cstdint>
#include <vector>

#include "FileBytes.h"
#include "pictures/core/PsdDecoder.h"

namespace kelmor {

bool CFilePSD::Verify(const std::wstring& fileName) {
    try {
        std::vector<std::uint8_t> head;
        return ReadFileBytes(fileName, head, core::kPsdSignatureLength) && core::IsPsd(head);
    } catch (...) {
        return false;
    }
}

bool CFilePSD::ReadImage(const std::wstring& fileName, core::DIBImage& record) {
    try {
        std::vector<std::uint8_t> file;
        return ReadFileBytes(fileName, file) && core::DecodePsd(file, record);
    } catch (...) {
        return false;
    }
}

}  // namespace kelmor
