#include "FileStream.h"

#include "NevkitSupport0100.h"
#include "filesys/core/StreamRecord.h"

namespace kelmor {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "BSTR text is UTF-16");

HRESULT FileStream::CreateInstance(REFIID riid, void** ppv) {
    return Create<FileStream>(riid, ppv);
}

HRESULT FileStream::InitStream(const core::StreamHeader& header, std::span<const std::byte> name) {
    return Guard([&]() -> HRESULT {
        attributes_ = static_cast<LONG>(header.attributes);
        streamId_ = static_cast<LONG>(header.streamId);
        LARGE_INTEGER count;
        count.QuadPart = static_cast<LONGLONG>(header.size);
        double size = 0;
        const LONG status = nkLargeIntegerToDouble(count, &size);
        if (status < 0) return RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_FileStream)));
        size_ = size;
        name_ = core::StreamName(header, name);
        return S_OK;
    });
}

HRESULT FileStream::Kind(std::uint32_t kind, VARIANT_BOOL* result) const {
    if (!result) return E_POINTER;
    *result = core::IsStreamKind(streamId_, kind) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FileStream::Attribute(std::uint32_t bit, VARIANT_BOOL* result) const {
    if (!result) return E_POINTER;
    *result = core::HasStreamAttribute(attributes_, bit) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FileStream::Text(std::u16string_view text, BSTR* result) const {
    if (!result) return E_POINTER;
    *result =
        SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    return *result ? S_OK : Raise(7);
}

HRESULT FileStream::get_StreamID(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = streamId_;
    return S_OK;
}

HRESULT FileStream::get_Attributes(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = attributes_;
    return S_OK;
}

HRESULT FileStream::get_Size(double* Result) {
    if (!Result) return E_POINTER;
    *Result = size_;
    return S_OK;
}

HRESULT FileStream::get_Name(BSTR* Result) {
    return Text(name_, Result);
}
// Worked out from the name on every read: the record keeps the full name only.
HRESULT FileStream::get_ShortName(BSTR* Result) {
    return Text(core::StreamShortName(name_), Result);
}

HRESULT FileStream::get_StreamIDInvalid(VARIANT_BOOL* Result) {
    return Kind(core::kBackupInvalid, Result);
}
HRESULT FileStream::get_StreamIDData(VARIANT_BOOL* Result) {
    return Kind(core::kBackupData, Result);
}
HRESULT FileStream::get_StreamIDEAData(VARIANT_BOOL* Result) {
    return Kind(core::kBackupEaData, Result);
}
HRESULT FileStream::get_StreamIDSecurityData(VARIANT_BOOL* Result) {
    return Kind(core::kBackupSecurityData, Result);
}
HRESULT FileStream::get_StreamIDAlternateData(VARIANT_BOOL* Result) {
    return Kind(core::kBackupAlternateData, Result);
}
HRESULT FileStream::get_StreamIDLink(VARIANT_BOOL* Result) {
    return Kind(core::kBackupLink, Result);
}
HRESULT FileStream::get_StreamIDPropertyData(VARIANT_BOOL* Result) {
    return Kind(core::kBackupPropertyData, Result);
}
HRESULT FileStream::get_StreamIDObjectID(VARIANT_BOOL* Result) {
    return Kind(core::kBackupObjectId, Result);
}
HRESULT FileStream::get_StreamIDReparseData(VARIANT_BOOL* Result) {
    return Kind(core::kBackupReparseData, Result);
}
HRESULT FileStream::get_StreamIDSparseBlock(VARIANT_BOOL* Result) {
    return Kind(core::kBackupSparseBlock, Result);
}

HRESULT FileStream::get_AttributeModifiedWhenRead(VARIANT_BOOL* Result) {
    return Attribute(core::kStreamModifiedWhenRead, Result);
}
HRESULT FileStream::get_AttributeContainsSecurity(VARIANT_BOOL* Result) {
    return Attribute(core::kStreamContainsSecurity, Result);
}
HRESULT FileStream::get_AttributeContainsProperties(VARIANT_BOOL* Result) {
    return Attribute(core::kStreamContainsProperties, Result);
}
HRESULT FileStream::get_AttributeSparseAttribute(VARIANT_BOOL* Result) {
    return Attribute(core::kStreamSparseAttribute, Result);
}

}  // namespace kelmor
