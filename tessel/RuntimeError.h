// An error the program does not handle itself: a failing call into the library, the support
// library or the system. It is thrown where the call failed and either caught by a command
// that reports it (through the library's error display) or it ends the program with a report,
// as an unhandled runtime error does.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <new>
#include <string>

#include "Kelmor0200.h"

namespace tessel {

// The source of the errors the program's own code raises.
inline constexpr wchar_t kErrorSource[] = L"Tessel";

class RuntimeError {
public:
    // The error of a call that returned `hr`, with the error information its callee left.
    static RuntimeError FromCall(HRESULT hr);
    // The error of a negative status of the support library (which leaves no error information).
    static RuntimeError FromStatus(LONG status);

    // The error as an error object (number, description, source, help).
    _ErrObject* Object() const { return object_.Get(); }
    LONG Number() const;
    std::wstring Description() const;

private:
    explicit RuntimeError(HRESULT hr);
    Microsoft::WRL::ComPtr<_ErrObject> object_;
};

// Throws the error of a failed call; does nothing on success.
inline void Check(HRESULT hr) {
    if (FAILED(hr)) throw RuntimeError::FromCall(hr);
}
// Throws the error of a negative support-library status.
inline void CheckStatus(LONG status) {
    if (status < 0) throw RuntimeError::FromStatus(status);
}

// Shows the report of an error nobody handled and ends the program.
[[noreturn]] void EndWithReport(const RuntimeError& error) noexcept;
// The same for an allocation failure or any other exception.
[[noreturn]] void EndWithReport(HRESULT hr) noexcept;

// Runs a handler of the program; an error it does not handle ends the program with its report.
// Window procedures call their handlers through this: no exception may cross the system's
// frames.
template <class Body>
void RunHandler(Body&& body) noexcept {
    try {
        body();
    } catch (const RuntimeError& error) {
        EndWithReport(error);
    } catch (const std::bad_alloc&) {
        EndWithReport(E_OUTOFMEMORY);
    } catch (...) {
        EndWithReport(E_UNEXPECTED);
    }
}

}  // namespace tessel
