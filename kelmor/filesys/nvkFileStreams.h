// Reads the backup streams of a file or directory into a list of records.
#pragma once

#include <wrl/client.h>

#include <cstddef>
#include <span>

#include "Collection.h"
#include "DispatchObject.h"
#include "FileStream.h"
#include "Kelmor0200.h"
#include "filesys/core/StreamWalk.h"

namespace kelmor {

class nvkFileStreams final : public DispatchObject<_nvkFileStreams> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // Makes the record of one stream header (a new FileStream filled by its InitStream).
    using RecordMaker = HRESULT (*)(const core::StreamHeader& header, std::span<const std::byte> name,
                                    FileStream** record);
    static HRESULT MakeRecord(const core::StreamHeader& header, std::span<const std::byte> name,
                              FileStream** record);

    // Library-internal: a reading from any backup source. The list is replaced by a new one
    // with a record per header; true at the walk's normal end. A reading that breaks off (a
    // failed read, data cut short, a skip that stops early) answers false and keeps the records
    // made before the break. When a record cannot be made the reader is left without a list and
    // the answer is false.
    bool ReadFrom(core::BackupSource& source, RecordMaker make = &MakeRecord);

    HRESULT STDMETHODCALLTYPE get_Count(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, _FileStream **Result) override;
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown **Result) override;
    HRESULT STDMETHODCALLTYPE ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL *Result) override;

private:
    // A new empty list in place of the old one; records that clients hold stay theirs.
    HRESULT NewList();
    // Fills the current (new, empty) list from the source.
    bool Walk(core::BackupSource& source, RecordMaker make);

    // The records in the order the system reported them; null while the reader holds no list
    // (after a reading that failed while building records).
    Microsoft::WRL::ComPtr<Collection> list_;
};

}  // namespace kelmor
