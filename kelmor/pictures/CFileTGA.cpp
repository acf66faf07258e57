#include "CFileTGA.h"

namespace kelmor {

bool CFileTGA::Verify(const std::wstring&) {
    return false;
}

bool CFileTGA::ReadImage(const std::wstring&, core::DIBImage&) {
    return false;
}

}  // namespace kelmor
