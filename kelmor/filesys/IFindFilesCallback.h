// Progress callback of a file search.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class IFindFilesCallback final : public DispatchObject<_IFindFilesCallback> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE DirectoryCompleted(BSTR Path, VARIANT_BOOL *Cancel) override;
};

}  // namespace kelmor
