#include "nvkFoundedFiles.h"

#include "FoundedFile.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "Text.h"
#include "VariantEnumerator.h"

namespace kelmor {
namespace {

using Microsoft::WRL::ComPtr;

struct CloseFind {
    void operator()(HANDLE find) const { FindClose(find); }
};
// An open directory search (never INVALID_HANDLE_VALUE: a failed search is not kept).
using UniqueFind = UniqueOwner<HANDLE, CloseFind, nullptr>;

// A text that reaches the system whole: an embedded NUL would make it name something shorter.
bool Whole(const std::wstring& text) {
    return text.find(L'\0') == std::wstring::npos;
}

// A mask names entries of the directory itself: it is not empty and holds no path separator
// (with one, the entries would come from another directory than the one their nodes name).
bool NameMask(const std::wstring& mask) {
    return !mask.empty() && Whole(mask) && mask.find_first_of(L"\\/") == std::wstring::npos;
}

std::optional<FileSearch::DirectoryId> DirectoryIdOf(const std::wstring& path) {
    if (!Whole(path)) return std::nullopt;
    const HANDLE opened = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueHandle directory(opened);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(directory.get(), &info)) return std::nullopt;
    return FileSearch::DirectoryId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

HRESULT FileSearch::Join(const std::wstring& folder, const std::wstring& name, std::wstring& joined) {
    const UniqueBstr first = NewBstr(folder);
    const UniqueBstr second = NewBstr(name);
    if (!first || !second) throw std::bad_alloc();
    BSTR result = nullptr;
    const LONG status = nkBuildFileName(first.get(), second.get(), &result);
    return SupportText(status, result, ErrorSourceOf(__uuidof(_nvkFoundedFiles)), joined);
}

bool FileSearch::OnTheWay(const std::wstring& path) {
    // Opening a path resolves links and junctions: the id is that of the directory reached.
    // A directory whose id cannot be read is taken as not seen.
    const std::optional<DirectoryId> id = DirectoryIdOf(path);
    if (!id) return false;
    for (Level& level : descent) {
        if (!level.idRead) {
            level.id = DirectoryIdOf(level.path);
            level.idRead = true;
        }
        if (level.id == id) return true;
    }
    return false;
}

HRESULT nvkFoundedFiles::CreateInstance(REFIID riid, void** ppv) {
    return Create<nvkFoundedFiles>(riid, ppv);
}

HRESULT nvkFoundedFiles::Descend(const std::wstring& path, bool link, FileSearch& search, bool* found) {
    *found = false;
    if (link && search.OnTheWay(path)) return S_OK;
    search.descent.push_back({path, std::nullopt, false});
    const HRESULT hr = Guard([&] { return Search(path, search, found); });
    search.descent.pop_back();
    if (FAILED(hr)) {
        *found = false;
        Abandon();
    }
    return hr;
}

HRESULT nvkFoundedFiles::Search(const std::wstring& path, FileSearch& search, bool* found) {
    ComPtr<Collection> list;
    Adopt(list, Collection::NewEmpty());
    if (!list) return Raise(7);
    list_ = list;
    path_ = path;
    hasSubItems_ = true;

    WIN32_FIND_DATAW entry;
    UniqueFind find;
    if (Whole(path) && NameMask(search.mask)) {
        std::wstring pattern;
        const HRESULT hr = FileSearch::Join(path, search.mask, pattern);
        if (FAILED(hr)) return hr;
        const HANDLE opened =
            FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0);
        if (opened != INVALID_HANDLE_VALUE) find.reset(opened);
    }
    if (!find) {
        Abandon();
        return S_OK;
    }
    do {
        ComPtr<FoundedFile> node;
        Adopt(node, New<FoundedFile>());
        if (!node) return Raise(7);
        bool skipped = false;
        HRESULT hr = node->InitEntry(entry, path, search, &skipped);
        if (FAILED(hr)) return hr;
        if (skipped) continue;
        // A cancel below this level stops it and every level above at once.
        if (node->ChildsCancelled()) {
            cancelled_ = true;
            Abandon();
            return S_OK;
        }
        hr = list->AppendObject(static_cast<_FoundedFile*>(node.Get()));
        if (FAILED(hr)) return hr;
    } while (FindNextFileW(find.get(), &entry));
    find.reset();
    hasSubItems_ = list->Size() > 0;

    VARIANT_BOOL cancel = VARIANT_FALSE;
    if (search.callback) {
        const UniqueBstr text = NewBstr(path);
        if (!text) return Raise(7);
        const HRESULT hr = search.callback->DirectoryCompleted(text.get(), &cancel);
        if (FAILED(hr)) return PassOnError(hr, ErrorSourceOf(__uuidof(_nvkFoundedFiles)));
    }
    cancelled_ = cancel != VARIANT_FALSE;
    *found = true;
    return S_OK;
}

void nvkFoundedFiles::Abandon() {
    hasSubItems_ = false;
    list_.Reset();
}

HRESULT nvkFoundedFiles::get_HasSubItems(VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = hasSubItems_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT nvkFoundedFiles::get_Path(BSTR* Result) {
    return ToBstr(path_, Result);
}

HRESULT nvkFoundedFiles::Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL* Result) {
    return RefreshEx(Path, Mask, VARIANT_TRUE, nullptr, Result);
}

HRESULT nvkFoundedFiles::RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints,
                                   _IFindFilesCallback* CallBackObject, VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        FileSearch search;
        search.mask = FromBstr(Mask);
        search.followReparsePoints = FollowReparsePoints != VARIANT_FALSE;
        search.callback = CallBackObject;
        bool found = false;
        const HRESULT hr = Descend(FromBstr(Path), false, search, &found);
        *Result = found ? VARIANT_TRUE : VARIANT_FALSE;
        return hr;
    });
}

HRESULT nvkFoundedFiles::get_Item(LONG Index, _FoundedFile** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    if (!list_ || Index < 0 || Index >= list_->Size()) return Raise(9);
    return V_DISPATCH(&list_->At(Index))->QueryInterface(IID_PPV_ARGS(Result));
}

HRESULT nvkFoundedFiles::get_Count(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = list_ ? list_->Size() : 0;
    return S_OK;
}

HRESULT nvkFoundedFiles::get_NewEnum(IUnknown** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return list_ ? list_->_NewEnum(Result) : NewVariantEnumerator(nullptr, 0, Result);
}

}  // namespace kelmor
