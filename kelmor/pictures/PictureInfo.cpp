#include "PictureInfo.h"

namespace kelmor {

HRESULT PictureInfo::CreateInstance(REFIID riid, void** ppv) { return Create<PictureInfo>(riid, ppv); }

// Members not built yet.
HRESULT PictureInfo::Width(LONG *) { return E_NOTIMPL; }
HRESULT PictureInfo::Height(LONG *) { return E_NOTIMPL; }
HRESULT PictureInfo::ImageBPP(LONG *) { return E_NOTIMPL; }
HRESULT PictureInfo::PictureType(nvkPictureTypeEx *) { return E_NOTIMPL; }
HRESULT PictureInfo::GetPictureTypeName(BSTR *) { return E_NOTIMPL; }

}  // namespace kelmor
