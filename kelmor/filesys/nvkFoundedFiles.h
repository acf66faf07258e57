// A recursive file search and the tree of entries it found.
#pragma once

#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

#include "Collection.h"
#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

// What one search passes down to every level: its mask, whether it enters reparse points, the
// caller's callback, and the directories on the way from the start down to the level being
// listed. A link (a reparse point) that leads to a directory already on that way is not entered,
// so a junction or link back to an ancestor ends there instead of descending until paths run
// out. Without links the directories form a tree and nothing needs checking: directory ids are
// read only when a link is about to be entered.
struct FileSearch {
    // The platform functions the search calls: the platform's own, or a test's stand-ins that
    // make failures Wine never shows (a listing that breaks off, a size call's odd answers).
    struct Functions {
        HANDLE(WINAPI* findFirst)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD);
        BOOL(WINAPI* findNext)(HANDLE, LPWIN32_FIND_DATAW);
        DWORD(WINAPI* compressedSize)(LPCWSTR, LPDWORD);
    };
    static const Functions& Platform();
    // The functions every search calls from now on (tests only); null: the platform's own.
    static void UseFunctions(const Functions* functions);
    static const Functions& Calls();

    // A directory as the file system knows it, whatever path leads to it.
    struct DirectoryId {
        DWORD volume = 0;
        DWORD indexHigh = 0;
        DWORD indexLow = 0;
        bool operator==(const DirectoryId&) const = default;
    };
    struct Level {
        std::wstring path;
        std::optional<DirectoryId> id;  // read when first needed
        bool idRead = false;
    };

    // The support library's join of a folder and a name (or mask) into one path.
    static HRESULT Join(const std::wstring& folder, const std::wstring& name, std::wstring& joined);
    // Whether the directory `path` leads to is one of those on the way down.
    bool OnTheWay(const std::wstring& path);

    std::wstring mask;
    bool followReparsePoints = false;
    _IFindFilesCallback* callback = nullptr;
    std::vector<Level> descent;
};

class nvkFoundedFiles final : public DispatchObject<_nvkFoundedFiles> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // Library-internal: lists the directory `path` into this level (a new list), entering its
    // matching subdirectories, depth first. The walk keeps its way down in a list of its own,
    // not on the stack, so a tree of any depth is searched in the same order, with the same
    // callbacks, as a recursive search would. `found`: the directory was listed whole and the
    // search went on to its end. A failure (out of memory, a callback's error) empties every
    // level being listed and passes on.
    HRESULT Descend(const std::wstring& path, FileSearch& search, bool* found);
    // Library-internal: whether this level's search was cancelled, by the callback's answer for
    // it or by a cancel below it.
    bool IsCancelled() const { return cancelled_; }
    // Library-internal: why the directory of this level was not listed whole: 0 when it was
    // (or when it was never entered, or nothing matched), otherwise the system's error code of
    // the failed open or of the listing that broke off (the entries read before the break are
    // kept). Late-bound clients read it as the property "ReadError" (below).
    DWORD ReadError() const { return readError_; }

    // IDispatch: the type library's members, and "ReadError" (read only, a 32-bit integer),
    // which lives outside the type library so that the interface's table and ids stay as they
    // are published.
    static constexpr DISPID kReadErrorId = 0x68030100;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    HRESULT STDMETHODCALLTYPE get_HasSubItems(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, _FoundedFile **Result) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown **Result) override;

private:
    struct Frame;
    // The walk of Descend, without the guard; `stack` holds the levels being listed.
    HRESULT Walk(const std::wstring& path, FileSearch& search, std::vector<Frame>& stack, bool* found);
    // Starts listing `path` into a new list of `level`; a frame for it on `stack` when the
    // directory could be opened (otherwise the level is left empty with its read error).
    static HRESULT Enter(nvkFoundedFiles* level, const std::wstring& path, FileSearch& search,
                         std::vector<Frame>& stack);
    // Ends the listing of the level on top of `stack`: `error` is the last error of the listing
    // (ERROR_NO_MORE_FILES when it ran to its end). The callback hears of a complete listing.
    HRESULT Finish(DWORD error, FileSearch& search, std::vector<Frame>& stack, bool* found);
    // The level after a cancel or a failure: no entries.
    void Abandon();

    std::wstring path_;
    bool hasSubItems_ = false;
    bool cancelled_ = false;
    DWORD readError_ = 0;
    // The nodes in the order the system listed them; null while the level holds none yet.
    Microsoft::WRL::ComPtr<Collection> list_;
};

}  // namespace kelmor
