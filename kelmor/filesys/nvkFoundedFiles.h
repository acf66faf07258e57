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
    // matching subdirectories; a `link` that leads back to a directory on the search's way down
    // is not entered, and the level is left as it is. `found`: the directory was listed and the
    // search went on to its end. A failure (out of memory, a callback's error) empties the level
    // and passes on.
    HRESULT Descend(const std::wstring& path, bool link, FileSearch& search, bool* found);
    // Library-internal: whether this level's search was cancelled, by the callback's answer for
    // it or by a cancel below it.
    bool IsCancelled() const { return cancelled_; }

    HRESULT STDMETHODCALLTYPE get_HasSubItems(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, _FoundedFile **Result) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown **Result) override;

private:
    // Lists `path` into a new list of this level (Descend without the guard).
    HRESULT Search(const std::wstring& path, FileSearch& search, bool* found);
    // The level after a cancel or a failure: no entries.
    void Abandon();

    std::wstring path_;
    bool hasSubItems_ = false;
    bool cancelled_ = false;
    // The nodes in the order the system listed them; null while the level holds none yet.
    Microsoft::WRL::ComPtr<Collection> list_;
};

}  // namespace kelmor
