#include "PictureFormats_Global.h"

#include <utility>

#include "CFileCommon.h"
#include "CFilePNG.h"
#include "DecodingReaders.h"
#include "ErrorInfo.h"
#include "Global.h"
#include "Kelmor0200.h"
#include "Module.h"
#include "PictureInfo.h"

namespace kelmor {
namespace {

// Every thread's set, so that the library frees them when it is unloaded: the per-thread record
// holds only a pointer (it must stay trivially destructible), and a thread may end long before.
PictureReaderSet* g_sets = nullptr;
SRWLOCK g_setsLock = SRWLOCK_INIT;

void FreeAllSets() {
    AcquireSRWLockExclusive(&g_setsLock);
    PictureReaderSet* set = std::exchange(g_sets, nullptr);
    ReleaseSRWLockExclusive(&g_setsLock);
    while (set) delete std::exchange(set, set->next);
}

std::unique_ptr<IFileFormat> NewReader(size_t slot) {
    switch (slot) {
        case 0:
            return std::make_unique<CFileCommon>();
        case 1:
            return std::make_unique<CFilePNG>();
        case 2:
            return std::make_unique<CFilePSD>();
        case 3:
            return std::make_unique<CFilePCX>();
        default:
            return std::make_unique<CFileTGA>();
    }
}

}  // namespace

namespace PictureFormats_Global {

PictureReaderSet& InitPictureFormats() {
    PictureReaderSet*& mine = Globals().pictureReaders;
    if (!mine) {
        auto set = std::make_unique<PictureReaderSet>();
        AcquireSRWLockExclusive(&g_setsLock);
        set->next = g_sets;
        g_sets = set.get();
        ReleaseSRWLockExclusive(&g_setsLock);
        mine = set.release();
        Module::AtDetach(&FreeAllSets);
    }
    for (size_t slot = 0; slot < PictureReaderSet::kSlots; ++slot) {
        if (!mine->slots[slot]) mine->slots[slot] = NewReader(slot);
    }
    return *mine;
}

IFileFormat* PictureFormat(size_t slot) {
    const PictureReaderSet* set = Globals().pictureReaders;
    return set && slot < PictureReaderSet::kSlots ? set->slots[slot].get() : nullptr;
}

HRESULT TryPictureFormat(IFileFormat& reader, const PictureFile& file, PictureInfo* info,
                         Microsoft::WRL::ComPtr<IPictureDisp>& picture) {
    if (picture) return S_OK;
    bool recognised = false;
    try {
        recognised = reader.Verify(file);
    } catch (...) {
        recognised = false;  // a reader's check never fails the load
    }
    if (!recognised) return S_OK;
    return reader.LoadPicture(file, info, picture.ReleaseAndGetAddressOf());
}

HRESULT LoadPictureInternal(const std::wstring& fileName, PictureInfo* info, IPictureDisp** picture) {
    if (!picture) return E_POINTER;
    *picture = nullptr;
    PictureReaderSet& readers = InitPictureFormats();
    // Cleared here as well as by each reader that takes the file: when none takes it, values of
    // an earlier picture would otherwise be reported for a load that failed.
    if (info) info->Clear();
    // Read once, at the first reader that looks at the bytes, and shared by all of them.
    const PictureFile file(fileName);
    Microsoft::WRL::ComPtr<IPictureDisp> found;
    for (const auto& reader : readers.slots) {
        const HRESULT hr = TryPictureFormat(*reader, file, info, found);
        if (FAILED(hr)) return hr;
    }
    // Raised for the caller of nvkMain.LoadPictureEx, the one public way here.
    if (!found) return RaiseError(481, ErrorSourceOf(__uuidof(_nvkMain)));
    *picture = found.Detach();
    return S_OK;
}

}  // namespace PictureFormats_Global
}  // namespace kelmor
