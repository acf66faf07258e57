#include "nvkFoundedFiles.h"

#include "FoundedFile.h"
#include "LongPath.h"
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
    const HANDLE opened = CreateFileW(ForWideFileApi(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueHandle directory(opened);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(directory.get(), &info)) return std::nullopt;
    return FileSearch::DirectoryId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

const FileSearch::Functions* g_functions = nullptr;

constexpr wchar_t kReadErrorName[] = L"ReadError";

}  // namespace

// One level being listed: its object, its open search and the entry at hand, and the node
// whose Childs the level above it (the next frame) is listing.
struct nvkFoundedFiles::Frame {
    ComPtr<nvkFoundedFiles> level;
    UniqueFind find;
    WIN32_FIND_DATAW entry;
    ComPtr<FoundedFile> waiting;
};

const FileSearch::Functions& FileSearch::Platform() {
    static const Functions platform{&FindFirstFileExW, &FindNextFileW, &GetCompressedFileSizeW};
    return platform;
}

void FileSearch::UseFunctions(const Functions* functions) {
    g_functions = functions;
}

const FileSearch::Functions& FileSearch::Calls() {
    return g_functions ? *g_functions : Platform();
}

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

HRESULT nvkFoundedFiles::Descend(const std::wstring& path, FileSearch& search, bool* found) {
    *found = false;
    std::vector<Frame> stack;
    const HRESULT hr = Guard([&] { return Walk(path, search, stack, found); });
    if (FAILED(hr)) {
        *found = false;
        Abandon();
        for (Frame& frame : stack) frame.level->Abandon();
    }
    search.descent.clear();
    return hr;
}

HRESULT nvkFoundedFiles::Enter(nvkFoundedFiles* level, const std::wstring& path, FileSearch& search,
                               std::vector<Frame>& stack) {
    ComPtr<Collection> list;
    Adopt(list, Collection::NewEmpty());
    if (!list) return level->Raise(7);
    level->list_ = list;
    level->path_ = path;
    level->hasSubItems_ = true;
    level->readError_ = 0;

    // The frame is made in its place on the stack, and taken off again when nothing opens.
    Frame& frame = stack.emplace_back();
    frame.level = level;
    if (Whole(path) && NameMask(search.mask)) {
        std::wstring pattern;
        const HRESULT hr = FileSearch::Join(path, search.mask, pattern);
        if (FAILED(hr)) {
            stack.pop_back();
            return hr;
        }
        const HANDLE opened = FileSearch::Calls().findFirst(ForWideFileApi(pattern).c_str(), FindExInfoStandard,
                                                            &frame.entry, FindExSearchNameMatch, nullptr, 0);
        if (opened != INVALID_HANDLE_VALUE) {
            frame.find.reset(opened);
        } else {
            // No match is an empty listing; anything else (no access, a folder gone, an I/O
            // error) is a folder that could not be read.
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES) level->readError_ = error;
        }
    }
    if (!frame.find) {
        stack.pop_back();
        level->Abandon();
        return S_OK;
    }
    search.descent.push_back({path, std::nullopt, false});
    return S_OK;
}

HRESULT nvkFoundedFiles::Walk(const std::wstring& path, FileSearch& search, std::vector<Frame>& stack,
                              bool* found) {
    HRESULT hr = Enter(this, path, search, stack);
    while (SUCCEEDED(hr) && !stack.empty()) {
        Frame& frame = stack.back();
        nvkFoundedFiles* level = frame.level.Get();
        ComPtr<FoundedFile> node = std::move(frame.waiting);
        if (node) {
            // The node's Childs are listed. A cancel below this level stops it and every level
            // above at once.
            if (node->ChildsCancelled()) {
                level->cancelled_ = true;
                level->Abandon();
                stack.pop_back();
                search.descent.pop_back();
                continue;
            }
        } else {
            Adopt(node, New<FoundedFile>());
            if (!node) return Raise(7);
            FoundedFile::Entry kind = FoundedFile::Entry::Skipped;
            if (FAILED(hr = node->InitEntry(frame.entry, level->path_, &kind))) return hr;
            if (kind == FoundedFile::Entry::Skipped) {
                node.Reset();
            } else if (kind == FoundedFile::Entry::Folder && (search.followReparsePoints || !node->IsLink())) {
                // The subdirectory is listed into the node's Childs before the node joins this
                // level; a link back to a directory on the way down is not entered.
                std::wstring full;
                if (FAILED(hr = FileSearch::Join(level->path_, node->FileName(), full))) return hr;
                nvkFoundedFiles* childs = nullptr;
                if (FAILED(hr = node->MakeChilds(&childs))) return hr;
                const bool link = node->IsLink();
                frame.waiting = node;
                // `frame` is not used after this: the stack may grow.
                if (!link || !search.OnTheWay(full)) hr = Enter(childs, full, search, stack);
                continue;
            }
        }
        if (node && FAILED(hr = level->list_->AppendObject(static_cast<_FoundedFile*>(node.Get())))) return hr;
        if (!FileSearch::Calls().findNext(stack.back().find.get(), &stack.back().entry))
            hr = Finish(GetLastError(), search, stack, found);
    }
    return hr;
}

HRESULT nvkFoundedFiles::Finish(DWORD error, FileSearch& search, std::vector<Frame>& stack, bool* found) {
    nvkFoundedFiles* level = stack.back().level.Get();
    stack.back().find.reset();
    level->hasSubItems_ = level->list_->Size() > 0;
    const bool whole = error == ERROR_NO_MORE_FILES;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    if (!whole) {
        // The listing broke off: its entries so far stay, but the directory is not reported
        // complete, and a search that started here does not answer true.
        level->readError_ = error ? error : ERROR_READ_FAULT;
    } else if (search.callback) {
        const UniqueBstr text = NewBstr(level->path_);
        if (!text) return Raise(7);
        const HRESULT hr = search.callback->DirectoryCompleted(text.get(), &cancel);
        if (FAILED(hr)) return PassOnError(hr, ErrorSourceOf(__uuidof(_nvkFoundedFiles)));
    }
    level->cancelled_ = cancel != VARIANT_FALSE;
    if (stack.size() == 1) *found = whole;
    stack.pop_back();
    search.descent.pop_back();
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
        const HRESULT hr = Descend(FromBstr(Path), search, &found);
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

HRESULT nvkFoundedFiles::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    const HRESULT hr = DispatchObject::GetIDsOfNames(riid, names, count, lcid, ids);
    if (hr != DISP_E_UNKNOWNNAME || count != 1 || !names || !names[0] || !ids) return hr;
    if (CompareStringOrdinal(names[0], -1, kReadErrorName, -1, TRUE) != CSTR_EQUAL) return hr;
    ids[0] = kReadErrorId;
    return S_OK;
}

HRESULT nvkFoundedFiles::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (id != kReadErrorId) return DispatchObject::Invoke(id, riid, lcid, flags, params, result, excep, argErr);
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (params && (params->cArgs != 0 || params->cNamedArgs != 0)) return DISP_E_BADPARAMCOUNT;
    if (result) {
        VariantInit(result);
        V_VT(result) = VT_I4;
        V_I4(result) = static_cast<LONG>(readError_);
    }
    return S_OK;
}

HRESULT nvkFoundedFiles::get_NewEnum(IUnknown** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return list_ ? list_->_NewEnum(Result) : NewVariantEnumerator(nullptr, 0, Result);
}

}  // namespace kelmor
