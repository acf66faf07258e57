#include "FoundedFile.h"

#include <cwchar>

#include "LongPath.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "Text.h"

namespace kelmor {
namespace {

template <size_t N>
std::wstring FixedText(const wchar_t (&field)[N]) {
    return std::wstring(field, wcsnlen(field, N));
}

}  // namespace

HRESULT FoundedFile::CreateInstance(REFIID riid, void** ppv) {
    return Create<FoundedFile>(riid, ppv);
}

HRESULT FoundedFile::InitEntry(const WIN32_FIND_DATAW& entry, const std::wstring& parent, Entry* kind) {
    *kind = Entry::File;
    attributes_ = entry.dwFileAttributes;
    creationTime_ = entry.ftCreationTime;
    lastAccessTime_ = entry.ftLastAccessTime;
    lastWriteTime_ = entry.ftLastWriteTime;
    fileName_ = FixedText(entry.cFileName);
    alternateName_ = FixedText(entry.cAlternateFileName);
    path_ = parent;
    const HRESULT hr = Size(entry.nFileSizeHigh, entry.nFileSizeLow, &fileSize_);
    if (FAILED(hr)) return hr;

    if (attributes_ & FILE_ATTRIBUTE_DIRECTORY)
        *kind = fileName_ == L"." || fileName_ == L".." ? Entry::Skipped : Entry::Folder;
    // No name on Windows holds a colon. Under Wine an entry "a.txt:name" is the stream "name" of
    // a.txt that a Windows program wrote (the stream reader lists it as such), not an entry of its own.
    if (fileName_.find(L':') != std::wstring::npos) *kind = Entry::Skipped;
    return S_OK;
}

HRESULT FoundedFile::MakeChilds(nvkFoundedFiles** childs) {
    Adopt(childs_, New<nvkFoundedFiles>());
    if (!childs_) return Raise(7);
    *childs = childs_.Get();
    return S_OK;
}

HRESULT FoundedFile::Attribute(DWORD bit, VARIANT_BOOL* result) const {
    if (!result) return E_POINTER;
    *result = (attributes_ & bit) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FoundedFile::Size(DWORD high, DWORD low, double* result) const {
    LARGE_INTEGER count;
    count.QuadPart = static_cast<LONGLONG>((static_cast<ULONGLONG>(high) << 32) | low);
    const LONG status = nkLargeIntegerToDouble(count, result);
    return status < 0 ? RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_FoundedFile))) : S_OK;
}

HRESULT FoundedFile::get_Childs(_nvkFoundedFiles** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    // A node the search did not descend into gets its empty level when first asked.
    if (!childs_) Adopt(childs_, New<nvkFoundedFiles>());
    if (!childs_) return Raise(7);
    return childs_->QueryInterface(IID_PPV_ARGS(Result));
}

HRESULT FoundedFile::get_Path(BSTR* Result) {
    return ToBstr(path_, Result);
}

HRESULT FoundedFile::get_FileAttributes(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = static_cast<LONG>(attributes_);
    return S_OK;
}

HRESULT FoundedFile::get_AttributeReadOnly(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_READONLY, Result);
}
HRESULT FoundedFile::get_AttributeHidden(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_HIDDEN, Result);
}
HRESULT FoundedFile::get_AttributeSystem(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_SYSTEM, Result);
}
HRESULT FoundedFile::get_AttributeDirectory(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_DIRECTORY, Result);
}
HRESULT FoundedFile::get_AttributeArchive(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_ARCHIVE, Result);
}
HRESULT FoundedFile::get_AttributeDevice(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_DEVICE, Result);
}
HRESULT FoundedFile::get_AttributeTemporary(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_TEMPORARY, Result);
}
HRESULT FoundedFile::get_AttributeSparseFile(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_SPARSE_FILE, Result);
}
HRESULT FoundedFile::get_AttributeReparsePoint(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_REPARSE_POINT, Result);
}
HRESULT FoundedFile::get_AttributeCompressed(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_COMPRESSED, Result);
}
HRESULT FoundedFile::get_AttributeOffline(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_OFFLINE, Result);
}
HRESULT FoundedFile::get_AttributeNotContentIndexed(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, Result);
}
HRESULT FoundedFile::get_AttributeEncrypted(VARIANT_BOOL* Result) {
    return Attribute(FILE_ATTRIBUTE_ENCRYPTED, Result);
}

// A file time (UTC) as a date of the local time zone, shifted by the offset in force now, as the
// platform's own listings show it; the empty date (0) when the time cannot be converted.
HRESULT FoundedFile::Time(const FILETIME& utc, DATE* result) {
    if (!result) return E_POINTER;
    FILETIME local;
    SYSTEMTIME parts;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &parts) ||
        !SystemTimeToVariantTime(&parts, result)) {
        *result = 0;
    }
    return S_OK;
}

HRESULT FoundedFile::get_CreationTime(DATE* Result) {
    return Time(creationTime_, Result);
}
HRESULT FoundedFile::get_LastAccessTime(DATE* Result) {
    return Time(lastAccessTime_, Result);
}
HRESULT FoundedFile::get_LastWriteTime(DATE* Result) {
    return Time(lastWriteTime_, Result);
}

HRESULT FoundedFile::get_FileSize(double* Result) {
    if (!Result) return E_POINTER;
    *Result = fileSize_;
    return S_OK;
}
// Read from the system when first asked and kept from then on, so that a search opens no file
// of its own. The size on disk differs from the data size for compressed and sparse files; when
// the system cannot tell (the call leaves an error), the data size stands.
HRESULT FoundedFile::get_CompressedFileSize(double* Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    return Guard([&]() -> HRESULT {
        if (!compressedSize_) {
            std::wstring full;
            HRESULT hr = FileSearch::Join(path_, fileName_, full);
            if (FAILED(hr)) return hr;
            // The call's failure is the documented pair: the low half INVALID_FILE_SIZE and an
            // error left. A success may leave an error of its own, and a size whose low half
            // happens to be INVALID_FILE_SIZE leaves none (hence the error cleared first).
            SetLastError(NO_ERROR);
            DWORD high = 0;
            const DWORD low = FileSearch::Calls().compressedSize(ForWideFileApi(full).c_str(), &high);
            double size = fileSize_;
            const bool failed = low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR;
            if (!failed && FAILED(hr = Size(high, low, &size))) return hr;
            compressedSize_ = size;
        }
        *Result = *compressedSize_;
        return S_OK;
    });
}

HRESULT FoundedFile::get_FileName(BSTR* Result) {
    return ToBstr(fileName_, Result);
}
HRESULT FoundedFile::get_AlternateFileName(BSTR* Result) {
    return ToBstr(alternateName_, Result);
}

}  // namespace kelmor
