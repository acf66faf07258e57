#include "CAppStub.h"

namespace kelmor {

CAppStub* CAppStub::New() { return DispatchObject::New<CAppStub>(); }

void CAppStub::Init(const std::wstring& title, short major, short minor, short revision) {
    title_ = title;
    major_ = major;
    minor_ = minor;
    revision_ = revision;
}

}  // namespace kelmor
