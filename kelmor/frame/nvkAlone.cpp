#include "nvkAlone.h"

#include <string>

#include "AnsiText.h"

namespace kelmor {

HRESULT nvkAlone::CreateInstance(REFIID riid, void** ppv) { return Create<nvkAlone>(riid, ppv); }

// Creates (or opens) the mutex named AppGUID in the caller's namespace and keeps it: alone when
// it did not exist before. The object's own earlier mutex is closed first, so asking again for
// the same name does not find the object itself.
HRESULT nvkAlone::IsAlone(BSTR AppGUID, VARIANT_BOOL *Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        // A name that cannot be a claim is refused rather than answered with True: an empty
        // name makes an unnamed mutex that no other instance can see, and a name the code page
        // cannot hold exactly would claim a different name.
        std::string name;
        DWORD failure = SysStringLen(AppGUID) == 0 ? static_cast<DWORD>(ERROR_INVALID_NAME) : NameToAnsi(AppGUID, name);
        if (failure != ERROR_SUCCESS) return Raise(5, SystemMessageText(HRESULT_FROM_WIN32(failure)));

        mutex_.reset();
        SetLastError(ERROR_SUCCESS);
        HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
        failure = GetLastError();
        mutex_.reset(mutex);
        // A mutex that exists but may not be opened (another user's claim) is a claim all the
        // same; the object then holds nothing.
        if (!mutex_ && failure == ERROR_ACCESS_DENIED) return S_OK;
        // A name the system refuses (too long, a namespace that does not exist) makes no claim.
        if (!mutex_) return Raise(5, SystemMessageText(HRESULT_FROM_WIN32(failure)));
        *Result = failure == ERROR_ALREADY_EXISTS ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    });
}

}  // namespace kelmor
