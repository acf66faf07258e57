#include "CFilePSD.h"

namespace kelmor {

bool CFilePSD::Verify(const std::wstring&) {
    return false;
}

bool CFilePSD::ReadImage(const std::wstring&, core::DIBImage&) {
    return false;
}

}  // namespace kelmor
