#include "CFilePCX.h"

namespace kelmor {

bool CFilePCX::Verify(const std::wstring&) {
    return false;
}

bool CFilePCX::ReadImage(const std::wstring&, core::DIBImage&) {
    return false;
}

}  // namespace kelmor
