#include "DibFileFormat.h"

#include <memory>
#include <utility>

#include "PictureInfo.h"
#include "modBitmapWorks.h"

namespace kelmor {

bool DibFileFormat::Verify(const PictureFile& file) {
    verified_ = 0;
    bool recognised = false;
    try {
        recognised = Recognise(file);
    } catch (...) {
        recognised = false;
    }
    if (recognised) verified_ = file.Serial();
    return recognised;
}

HRESULT DibFileFormat::LoadPicture(const PictureFile& file, PictureInfo* info, IPictureDisp** picture) {
    if (!picture) return E_POINTER;
    *picture = nullptr;
    if (info) info->Clear();

    // The record can be large: it lives only for this call.
    std::unique_ptr<core::DIBImage> record;
    modBitmapWorks::PixelRows rows;
    try {
        if (std::exchange(verified_, 0) != file.Serial() && !Verify(file)) return S_OK;
        verified_ = 0;
        if (RowsInFile(file, rows)) {
            // Drawn from the file's bytes: nothing to decode.
            const HRESULT hr = modBitmapWorks::CreatePictureFromRows(rows, picture);
            if (FAILED(hr) || !*picture) return hr;
            if (info) info->SetInfo(rows.width, rows.height, 24, type_);
            return S_OK;
        }
        record = std::make_unique<core::DIBImage>();
        if (!ReadImage(file, *record)) return S_OK;
    } catch (...) {
        return S_OK;
    }

    const HRESULT hr = modBitmapWorks::CreatePictureFromDIB(*record, picture);
    if (FAILED(hr) || !*picture) return hr;
    if (info) info->SetInfo(record->Width, record->Height, ReportedDepth(*record), type_);
    return S_OK;
}

}  // namespace kelmor
