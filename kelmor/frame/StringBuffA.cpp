#include "StringBuffA.h"

namespace kelmor {

HRESULT StringBuffA::CreateInstance(REFIID riid, void** ppv) { return Create<StringBuffA>(riid, ppv); }

// Members not built yet.
HRESULT StringBuffA::put_StringValue(LONG, BSTR) { return E_NOTIMPL; }
HRESULT StringBuffA::get_StringValue(LONG, BSTR *) { return E_NOTIMPL; }
HRESULT StringBuffA::Allocate(LONG, NvkApiBool *) { return E_NOTIMPL; }
HRESULT StringBuffA::PlaceString(BSTR, LONG, LONG_PTR *) { return E_NOTIMPL; }
HRESULT StringBuffA::pString(LONG_PTR *) { return E_NOTIMPL; }
HRESULT StringBuffA::CopyBuffer(SAFEARRAY **) { return E_NOTIMPL; }
HRESULT StringBuffA::GetBufferLength(LONG *) { return E_NOTIMPL; }

}  // namespace kelmor
