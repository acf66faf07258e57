#include "RuntimeError.h"

#include <cstdio>

#include "ErrObject.h"
#include "ErrorInfo.h"
#include "MessageBox.h"
#include "Owners.h"
#include "ProgramText.h"
#include "core/TesselTexts.h"

namespace tessel {
namespace {

// The exit code of a program that an unhandled error ended.
constexpr UINT kUnhandledExitCode = 1;

}  // namespace

RuntimeError::RuntimeError(HRESULT hr) {
    kelmor::Adopt(object_, static_cast<_ErrObject*>(kelmor::ErrObject::FromFailure(hr, kErrorSource)));
}

RuntimeError RuntimeError::FromCall(HRESULT hr) {
    return RuntimeError(hr);
}

RuntimeError RuntimeError::FromStatus(LONG status) {
    return RuntimeError(kelmor::RaiseSupportStatus(status, kErrorSource));
}

LONG RuntimeError::Number() const {
    LONG number = 7;  // out of memory: not even the error object could be made
    if (object_) object_->get_Number(&number);
    return number;
}

std::wstring RuntimeError::Description() const {
    kelmor::UniqueBstr text;
    if (object_) object_->get_Description(text.put());
    return FromBstr(text.get());
}

void EndWithReport(const RuntimeError& error) noexcept {
    const LONG number = error.Number();
    wchar_t head[64];
    // Runtime errors by their number; other failure codes also in hexadecimal.
    if (number >= 0)
        std::swprintf(head, 64, L"Ошибка выполнения '%ld':\r\n\r\n", static_cast<long>(number));
    else
        std::swprintf(head, 64, L"Ошибка выполнения '%ld (%08lX)':\r\n\r\n", static_cast<long>(number),
                      static_cast<unsigned long>(number));
    try {
        int button = 0;
        kelmor::MsgBox(head + error.Description(), MB_OK | MB_ICONERROR, Wide(core::kProgramTitle), {}, 0,
                       &button);
    } catch (...) {
        // Nothing more can be shown; the program ends all the same.
    }
    ExitProcess(kUnhandledExitCode);
}

void EndWithReport(HRESULT hr) noexcept {
    try {
        EndWithReport(RuntimeError::FromCall(hr));
    } catch (...) {
        ExitProcess(kUnhandledExitCode);
    }
}

}  // namespace tessel
