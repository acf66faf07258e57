// The picture readers and the dispatch among them. Each thread (apartment) that loads pictures
// has its own five readers, made on its first load and kept until the library is unloaded.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <array>
#include <memory>
#include <string>

#include "IFileFormat.h"

namespace kelmor {

class PictureInfo;

// One thread's readers, in the order they are tried.
struct PictureReaderSet {
    static constexpr size_t kSlots = 5;
    std::array<std::unique_ptr<IFileFormat>, kSlots> slots;
    PictureReaderSet* next = nullptr;  // the process-wide list of every thread's set
};

namespace PictureFormats_Global {

// Fills the empty slots of this thread's set (CFileCommon, CFilePNG, CFilePSD, CFilePCX,
// CFileTGA), making the set on the thread's first call. Throws std::bad_alloc when out of memory.
PictureReaderSet& InitPictureFormats();

// This thread's reader in `slot` (0 to 4); null before the thread's first load.
IFileFormat* PictureFormat(size_t slot);

// One reader's turn: when `picture` is still empty, the reader's Verify and, if that accepts
// the file, its LoadPicture of the same file. An error of LoadPicture is returned as it came.
HRESULT TryPictureFormat(IFileFormat& reader, const PictureFile& file, PictureInfo* info,
                         Microsoft::WRL::ComPtr<IPictureDisp>& picture);

// The picture of the first reader that both recognises and decodes the file; error 481 when none
// does. The file name's extension plays no part; the file is read once for all the readers. `info` (may be null) is cleared first and then
// holds what the reader that gave the picture found.
HRESULT LoadPictureInternal(const std::wstring& fileName, PictureInfo* info, IPictureDisp** picture);

}  // namespace PictureFormats_Global
}  // namespace kelmor
