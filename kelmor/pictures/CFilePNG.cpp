#include "CFilePNG.h"

namespace kelmor {

bool CFilePNG::Verify(const std::wstring&) {
    return false;
}

bool CFilePNG::ReadImage(const std::wstring&, core::DIBImage&) {
    return false;
}

}  // namespace kelmor
