// One backup stream of a file: kind, attributes, size and name.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "filesys/core/BackupFormat.h"

namespace kelmor {

class FileStream final : public DispatchObject<_FileStream> {
public:
    // Objects of this class are made by other objects of the library only.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // Fills the record, once, from a backup stream header and the name bytes that followed it
    // (library-internal: the stream reader calls it right after making the record). A failing
    // size conversion is raised; the record is then left partly filled.
    HRESULT InitStream(const core::StreamHeader& header, std::span<const std::byte> name);

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

private:
    HRESULT Kind(std::uint32_t kind, VARIANT_BOOL* result) const;
    HRESULT Attribute(std::uint32_t bit, VARIANT_BOOL* result) const;
    HRESULT Text(std::u16string_view text, BSTR* result) const;

    // Set once by InitStream; a record never initialised holds 0, 0, 0 and an empty name.
    LONG streamId_ = 0;
    LONG attributes_ = 0;
    double size_ = 0;
    std::u16string name_;
};

}  // namespace kelmor
