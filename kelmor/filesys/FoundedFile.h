// One entry found by a file search: attributes, times, sizes, names and children.
#pragma once

#include <wrl/client.h>

#include <optional>
#include <string>

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "nvkFoundedFiles.h"

namespace kelmor {

class FoundedFile final : public DispatchObject<_FoundedFile> {
public:
    // Objects of this class are made by other objects of the library only.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // What an entry is to the search.
    enum class Entry {
        Skipped,  // "." or "..": no node
        File,     // a node without children
        Folder,   // a directory: the search may list it into the node's Childs
    };
    // Library-internal: fills the node, once, from an entry that the search of the directory
    // `parent` found.
    HRESULT InitEntry(const WIN32_FIND_DATAW& entry, const std::wstring& parent, Entry* kind);
    // Library-internal: the node's Childs, new, for the search to list the directory into
    // (the node keeps its reference).
    HRESULT MakeChilds(nvkFoundedFiles** childs);
    // Library-internal: the search of this node's Childs was cancelled.
    bool ChildsCancelled() const { return childs_ && childs_->IsCancelled(); }
    bool IsLink() const { return (attributes_ & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    const std::wstring& FileName() const { return fileName_; }

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

private:
    HRESULT Attribute(DWORD bit, VARIANT_BOOL* result) const;
    HRESULT Size(DWORD high, DWORD low, double* result) const;
    static HRESULT Time(const FILETIME& utc, DATE* result);

    // The entry as the search found it; a node never filled holds zeros and empty names.
    DWORD attributes_ = 0;
    FILETIME creationTime_{};
    FILETIME lastAccessTime_{};
    FILETIME lastWriteTime_{};
    double fileSize_ = 0;
    std::optional<double> compressedSize_;  // read when first asked
    std::wstring fileName_;
    std::wstring alternateName_;
    std::wstring path_;  // the directory that holds the entry
    Microsoft::WRL::ComPtr<nvkFoundedFiles> childs_;  // made when first needed
};

}  // namespace kelmor
