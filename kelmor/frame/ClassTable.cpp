#include "ClassTable.h"

#include <string>

#include "DispatchObject.h"

#include "Kelmor0200.h"
#include "dialogs/nvkSimpleListDialog.h"
#include "dialogs/nvkTabControl.h"
#include "filesys/FileStream.h"
#include "filesys/FoundedFile.h"
#include "filesys/IFindFilesCallback.h"
#include "filesys/nvkFileStreams.h"
#include "filesys/nvkFoundedFiles.h"
#include "frame/CommandLineParser.h"
#include "frame/StringBuffA.h"
#include "frame/nvkAlone.h"
#include "frame/nvkBenchMark.h"
#include "frame/nvkBenchMarkHP.h"
#include "frame/nvkMain.h"
#include "frame/nvkTextBoxDefButtonWatcher.h"
#include "pictures/PictureInfo.h"
#include "registry/nvkNevkitSettings.h"
#include "registry/nvkRegistry.h"

namespace kelmor {

const GUID kLibId = LIBID_Kelmor0200;

namespace {

// In the order of the type library. A null create function marks the classes whose objects
// other objects hand out.
const ClassEntry kClasses[] = {
    {L"nvkMain", &CLSID_nvkMain, &IID__nvkMain, &nvkMain::CreateInstance},
    {L"nvkAlone", &CLSID_nvkAlone, &IID__nvkAlone, &nvkAlone::CreateInstance},
    {L"StringBuffA", &CLSID_StringBuffA, &IID__StringBuffA, &StringBuffA::CreateInstance},
    {L"nvkBenchMark", &CLSID_nvkBenchMark, &IID__nvkBenchMark, &nvkBenchMark::CreateInstance},
    {L"nvkSimpleListDialog", &CLSID_nvkSimpleListDialog, &IID__nvkSimpleListDialog,
     &nvkSimpleListDialog::CreateInstance},
    {L"nvkRegistry", &CLSID_nvkRegistry, &IID__nvkRegistry, &nvkRegistry::CreateInstance},
    {L"nvkNevkitSettings", &CLSID_nvkNevkitSettings, &IID__nvkNevkitSettings,
     &nvkNevkitSettings::CreateInstance},
    {L"PictureInfo", &CLSID_PictureInfo, &IID__PictureInfo, &PictureInfo::CreateInstance},
    {L"nvkBenchMarkHP", &CLSID_nvkBenchMarkHP, &IID__nvkBenchMarkHP, &nvkBenchMarkHP::CreateInstance},
    {L"nvkTextBoxDefButtonWatcher", &CLSID_nvkTextBoxDefButtonWatcher, &IID__nvkTextBoxDefButtonWatcher,
     &nvkTextBoxDefButtonWatcher::CreateInstance},
    {L"nvkTabControl", &CLSID_nvkTabControl, &IID__nvkTabControl, &nvkTabControl::CreateInstance},
    {L"CommandLineParser", &CLSID_CommandLineParser, &IID__CommandLineParser, nullptr},
    {L"nvkFoundedFiles", &CLSID_nvkFoundedFiles, &IID__nvkFoundedFiles, &nvkFoundedFiles::CreateInstance},
    {L"FoundedFile", &CLSID_FoundedFile, &IID__FoundedFile, nullptr},
    {L"IFindFilesCallback", &CLSID_IFindFilesCallback, &IID__IFindFilesCallback,
     &IFindFilesCallback::CreateInstance},
    {L"nvkFileStreams", &CLSID_nvkFileStreams, &IID__nvkFileStreams, &nvkFileStreams::CreateInstance},
    {L"FileStream", &CLSID_FileStream, &IID__FileStream, nullptr},
};

const InterfaceEntry kInterfaces[] = {
    {&IID__nvkMain, L"_nvkMain", false},
    {&IID__nvkAlone, L"_nvkAlone", false},
    {&IID__StringBuffA, L"_StringBuffA", false},
    {&IID__nvkBenchMark, L"_nvkBenchMark", false},
    {&IID__nvkSimpleListDialog, L"_nvkSimpleListDialog", false},
    {&IID__nvkRegistry, L"_nvkRegistry", false},
    {&nvkRegistry::kIidVersion10, L"_nvkRegistry", false},
    {&nvkRegistry::kIidVersion11, L"_nvkRegistry", false},
    {&IID__nvkNevkitSettings, L"_nvkNevkitSettings", false},
    {&IID__PictureInfo, L"_PictureInfo", false},
    {&IID__nvkBenchMarkHP, L"_nvkBenchMarkHP", false},
    {&IID__nvkTextBoxDefButtonWatcher, L"_nvkTextBoxDefButtonWatcher", false},
    {&IID__nvkTabControl, L"_nvkTabControl", false},
    {&DIID___nvkTabControl, L"__nvkTabControl", true},
    {&IID__CommandLineParser, L"_CommandLineParser", false},
    {&IID__nvkFoundedFiles, L"_nvkFoundedFiles", false},
    {&IID__FoundedFile, L"_FoundedFile", false},
    {&IID__IFindFilesCallback, L"_IFindFilesCallback", false},
    {&IID__nvkFileStreams, L"_nvkFileStreams", false},
    {&IID__FileStream, L"_FileStream", false},
};

}  // namespace

std::span<const ClassEntry> Classes() { return kClasses; }
std::span<const InterfaceEntry> OwnedInterfaces() { return kInterfaces; }

const ClassEntry* FindClass(REFCLSID clsid) {
    for (const ClassEntry& c : kClasses)
        if (IsEqualCLSID(*c.clsid, clsid)) return &c;
    return nullptr;
}

const ClassEntry* FindClassByInterface(REFIID iid) {
    for (const ClassEntry& c : kClasses)
        if (IsEqualIID(*c.defaultIid, iid)) return &c;
    return nullptr;
}

std::wstring ClassErrorSource(REFIID iid) {
    const ClassEntry* c = FindClassByInterface(iid);
    return c ? std::wstring(kLibraryName) + L"." + c->name : std::wstring(kLibraryName);
}

}  // namespace kelmor
