// One entry found by a file search: attributes, times, sizes, names and children.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class FoundedFile final : public DispatchObject<_FoundedFile> {
public:
    // Objects of this class are made by other objects of the library only.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE get_Childs(_nvkFoundedFiles **Result) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE get_FileAttributes(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeReadOnly(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeHidden(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeSystem(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeDirectory(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeArchive(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeDevice(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeTemporary(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeSparseFile(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeReparsePoint(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeCompressed(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeOffline(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeNotContentIndexed(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeEncrypted(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_CreationTime(DATE *Result) override;
    HRESULT STDMETHODCALLTYPE get_LastAccessTime(DATE *Result) override;
    HRESULT STDMETHODCALLTYPE get_LastWriteTime(DATE *Result) override;
    HRESULT STDMETHODCALLTYPE get_FileSize(double *Result) override;
    HRESULT STDMETHODCALLTYPE get_CompressedFileSize(double *Result) override;
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE get_AlternateFileName(BSTR *Result) override;
};

}  // namespace kelmor
