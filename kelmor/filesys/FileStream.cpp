#include "FileStream.h"

namespace kelmor {

HRESULT FileStream::CreateInstance(REFIID riid, void** ppv) { return Create<FileStream>(riid, ppv); }

// Members not built yet.
HRESULT FileStream::get_StreamID(LONG *) { return E_NOTIMPL; }
HRESULT FileStream::get_Attributes(LONG *) { return E_NOTIMPL; }
HRESULT FileStream::get_Size(double *) { return E_NOTIMPL; }
HRESULT FileStream::get_Name(BSTR *) { return E_NOTIMPL; }
HRESULT FileStream::get_ShortName(BSTR *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDInvalid(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDData(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDEAData(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDSecurityData(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDAlternateData(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDLink(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDPropertyData(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDObjectID(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDReparseData(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_StreamIDSparseBlock(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_AttributeModifiedWhenRead(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_AttributeContainsSecurity(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_AttributeContainsProperties(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FileStream::get_AttributeSparseAttribute(VARIANT_BOOL *) { return E_NOTIMPL; }

}  // namespace kelmor
