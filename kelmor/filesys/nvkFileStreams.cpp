#include "nvkFileStreams.h"

#include <cwchar>

#include "BackupReadSource.h"
#include "LongPath.h"
#include "NevkitSupport0100.h"
#include "Owners.h"

namespace kelmor {

using Microsoft::WRL::ComPtr;

HRESULT nvkFileStreams::CreateInstance(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    nvkFileStreams* reader = New<nvkFileStreams>();
    if (!reader) return E_OUTOFMEMORY;
    // A new reader starts with an empty list.
    HRESULT hr = reader->NewList();
    if (SUCCEEDED(hr)) hr = reader->QueryInterface(riid, ppv);
    reader->Release();
    return hr;
}

HRESULT nvkFileStreams::MakeRecord(const core::StreamHeader& header, std::span<const std::byte> name,
                                   FileStream** record) {
    *record = nullptr;
    FileStream* made = New<FileStream>();
    if (!made) return E_OUTOFMEMORY;
    const HRESULT hr = made->InitStream(header, name);
    if (FAILED(hr)) {
        made->Release();
        return hr;
    }
    *record = made;
    return S_OK;
}

HRESULT nvkFileStreams::NewList() {
    Adopt(list_, Collection::NewEmpty());
    return list_ ? S_OK : Raise(7);
}

bool nvkFileStreams::Walk(core::BackupSource& source, RecordMaker make) {
    const core::WalkEnd end = core::WalkBackupStreams(
        source, [&](const core::StreamHeader& header, std::span<const std::byte> name) {
            try {
                ComPtr<FileStream> record;
                if (FAILED(make(header, name, record.GetAddressOf()))) return false;
                return SUCCEEDED(list_->AppendObject(record.Get()));
            } catch (...) {
                return false;
            }
        });
    if (end == core::WalkEnd::RecordFailed) {
        list_.Reset();
        return false;
    }
    // A reading that broke off keeps the records made before the break (they are the file's
    // first streams, as the platform reported them), but it is no complete list: false.
    return end == core::WalkEnd::Normal;
}

bool nvkFileStreams::ReadFrom(core::BackupSource& source, RecordMaker make) {
    if (FAILED(NewList())) {
        source.Release();
        return false;
    }
    return Walk(source, make);
}

HRESULT nvkFileStreams::get_Count(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    if (!list_) return Raise(91);
    *Result = list_->Size();
    return S_OK;
}

HRESULT nvkFileStreams::get_Item(LONG Index, _FileStream** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    if (!list_) return Raise(91);
    if (Index < 0 || Index >= list_->Size()) return Raise(9);
    const VARIANT& item = list_->At(Index);
    return V_DISPATCH(&item)->QueryInterface(__uuidof(_FileStream), reinterpret_cast<void**>(Result));
}

HRESULT nvkFileStreams::get_NewEnum(IUnknown** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    if (!list_) return Raise(91);
    return list_->_NewEnum(Result);
}

HRESULT nvkFileStreams::ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        HRESULT hr = NewList();
        if (FAILED(hr)) return hr;

        VARIANT_BOOL isNT = VARIANT_FALSE;
        const LONG status = nkIsHostWinNT(&isNT);
        if (status < 0) return RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_nvkFileStreams)));
        if (!isNT) return S_OK;

        // The path goes to the system as UTF-16 text, so a name that the ANSI code page cannot
        // hold opens the file it names. A path with a NUL inside would name a shorter path to
        // the system: it cannot be opened as given.
        const wchar_t* path = FileName ? FileName : L"";
        if (std::wcslen(path) != SysStringLen(FileName)) return S_OK;
        // The reader only reads headers: it shares the file with any program that has it open,
        // for writing too (a log file, a mailbox, a database in use).
        const HANDLE opened = CreateFileW(ForWideFileApi(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (opened == INVALID_HANDLE_VALUE) return S_OK;
        UniqueHandle file(opened);

        BackupReadSource source(file.get(), ProcessSecurity != VARIANT_FALSE);
        *Result = Walk(source, &MakeRecord) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

}  // namespace kelmor
