#include "IFindFilesCallback.h"

namespace kelmor {

HRESULT IFindFilesCallback::CreateInstance(REFIID riid, void** ppv) {
    return Create<IFindFilesCallback>(riid, ppv);
}

// The library's own callback lets every search run to its end: `Cancel` stays as it came in.
HRESULT IFindFilesCallback::DirectoryCompleted(BSTR, VARIANT_BOOL*) {
    return S_OK;
}

}  // namespace kelmor
