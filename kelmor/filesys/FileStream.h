// One backup stream of a file: kind, attributes, size and name.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class FileStream final : public DispatchObject<_FileStream> {
public:
    // Objects of this class are made by other objects of the library only.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE get_StreamID(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_Attributes(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_Size(double *Result) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE get_ShortName(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDInvalid(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDData(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDEAData(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDSecurityData(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDAlternateData(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDLink(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDPropertyData(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDObjectID(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDReparseData(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_StreamIDSparseBlock(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeModifiedWhenRead(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeContainsSecurity(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeContainsProperties(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_AttributeSparseAttribute(VARIANT_BOOL *Result) override;
};

}  // namespace kelmor
