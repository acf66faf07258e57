#include "FoundedFile.h"

namespace kelmor {

HRESULT FoundedFile::CreateInstance(REFIID riid, void** ppv) { return Create<FoundedFile>(riid, ppv); }

// Members not built yet.
HRESULT FoundedFile::get_Childs(_nvkFoundedFiles **) { return E_NOTIMPL; }
HRESULT FoundedFile::get_Path(BSTR *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_FileAttributes(LONG *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeReadOnly(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeHidden(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeSystem(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeDirectory(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeArchive(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeDevice(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeTemporary(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeSparseFile(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeReparsePoint(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeCompressed(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeOffline(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeNotContentIndexed(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AttributeEncrypted(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_CreationTime(DATE *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_LastAccessTime(DATE *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_LastWriteTime(DATE *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_FileSize(double *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_CompressedFileSize(double *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_FileName(BSTR *) { return E_NOTIMPL; }
HRESULT FoundedFile::get_AlternateFileName(BSTR *) { return E_NOTIMPL; }

}  // namespace kelmor
