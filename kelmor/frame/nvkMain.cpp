#include "nvkMain.h"

#include <oleauto.h>
#include <olectl.h>

#include <array>
#include <span>
#include <utility>
#include <vector>

#include "AnsiText.h"
#include "CAppStub.h"
#include "CTextBoxInsertHook.h"
#include "Collection.h"
#include "CEventLoggerStub.h"
#include "CommandLineParser.h"
#include "Global.h"
#include "LateBound.h"
#include "NevkitSupport0100.h"
#include "dialogs/modAbout.h"
#include "pictures/PictureFormats_Global.h"
#include "pictures/PictureInfo.h"
#include "Owners.h"
#include "Text.h"
#include "core/StandardListFile.h"
#include "modErrorDisplay.h"
#include "modEventLoggerSupport.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

constexpr DISPID kDispIdArrayBSTR = 0x60030001;
constexpr DISPID kDispIdArrayLong = 0x60030002;

bool FitsShort(LONG value) { return value >= -32768 && value <= 32767; }

// Whether a picture argument holds an image: an empty picture (no object, or a handle of 0)
// does not.
bool HasImage(IPictureDisp* picture) {
    ComPtr<IPicture> readable;
    OLE_HANDLE handle = 0;
    return picture && SUCCEEDED(picture->QueryInterface(IID_PPV_ARGS(&readable))) &&
           SUCCEEDED(readable->get_Handle(&handle)) && handle != 0;
}

}  // namespace

HRESULT nvkMain::CreateInstance(REFIID riid, void** ppv) { return Create<nvkMain>(riid, ppv); }

nvkMain::nvkMain() {
    ThreadGlobals& g = Globals();
    ++g.mainCount;
    // The slot is empty exactly when this is the thread's first object (or when making the stub
    // ran out of memory before: the members then work without a logger).
    if (!g.logger) g.logger = CEventLoggerStub::New();
}

nvkMain::~nvkMain() {
    ThreadGlobals& g = Globals();
    if (--g.mainCount <= 0) {
        if (CEventLoggerStub* stub = std::exchange(g.logger, nullptr)) stub->Release();
    }
}

HRESULT nvkMain::CommandLine(_CommandLineParser** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        if (!commandLine_) {
            HRESULT hr = CommandLineParser::FromProcess(&commandLine_);
            if (FAILED(hr)) return hr;
        }
        *Result = commandLine_.Get();
        (*Result)->AddRef();
        return S_OK;
    });
}

HRESULT nvkMain::ArrayBSTR(SAFEARRAY** Args, SAFEARRAY** Result) { return ArrayOf(Args, VT_BSTR, Result); }
HRESULT nvkMain::ArrayLong(SAFEARRAY** Args, SAFEARRAY** Result) { return ArrayOf(Args, VT_I4, Result); }

HRESULT nvkMain::ArrayOf(SAFEARRAY** Args, VARTYPE type, SAFEARRAY** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    // Every failure is kept inside: a list that cannot be read (or is empty) gives no array, an
    // element that cannot be converted stays at the empty text or 0.
    return Guard([&]() -> HRESULT {
        SAFEARRAY* args = Args ? *Args : nullptr;
        LONG lower = 0, upper = -1;
        VARTYPE held = VT_EMPTY;
        if (!args || SafeArrayGetDim(args) != 1 || FAILED(SafeArrayGetVartype(args, &held)) || held != VT_VARIANT ||
            FAILED(SafeArrayGetLBound(args, 1, &lower)) || FAILED(SafeArrayGetUBound(args, 1, &upper)) ||
            upper < lower) {
            return S_OK;
        }
        SAFEARRAYBOUND bound{static_cast<ULONG>(static_cast<LONGLONG>(upper) - lower + 1), lower};
        SAFEARRAY* out = SafeArrayCreate(type, 1, &bound);
        if (!out) return S_OK;
        for (LONG i = lower;; ++i) {
            UniqueVariant element, value, converted;
            if (SUCCEEDED(SafeArrayGetElement(args, &i, element.get())) &&
                SUCCEEDED(VariantCopyInd(value.get(), element.get())) &&
                SUCCEEDED(VariantChangeTypeEx(converted.get(), value.get(), LOCALE_USER_DEFAULT, 0, type))) {
                void* data = type == VT_BSTR ? static_cast<void*>(V_BSTR(converted.get()))
                                             : static_cast<void*>(&V_I4(converted.get()));
                SafeArrayPutElement(out, &i, data);
            }
            if (i == upper) break;
        }
        *Result = out;
        return S_OK;
    });
}

HRESULT nvkMain::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) {
    if (id != kDispIdArrayBSTR && id != kDispIdArrayLong) {
        // The error display's by-reference text is supplied here when left out (modErrorDisplay).
        modErrorDisplay::CompletedArguments args(id, params);
        return args.Finish(DispatchObject::Invoke(id, riid, lcid, flags, args.get(), result, excep, argErr), argErr);
    }
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return InvokeParameterArray(id, flags, params, result, excep);
}

// The positional arguments (they arrive last first) become the parameter array, bounds 0 to
// count - 1, as a caller through the table would pass it.
HRESULT nvkMain::InvokeParameterArray(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                                      EXCEPINFO* excep) {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    const UINT count = params ? params->cArgs : 0;
    SAFEARRAY* args = SafeArrayCreateVector(VT_VARIANT, 0, count);
    if (!args) return E_OUTOFMEMORY;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count && SUCCEEDED(hr); ++i) {
        LONG index = static_cast<LONG>(i);
        hr = SafeArrayPutElement(args, &index, &params->rgvarg[count - 1 - i]);
    }
    SAFEARRAY* array = nullptr;
    if (SUCCEEDED(hr)) hr = id == kDispIdArrayBSTR ? ArrayBSTR(&args, &array) : ArrayLong(&args, &array);
    SafeArrayDestroy(args);
    if (FAILED(hr)) {
        if (excep) {
            *excep = EXCEPINFO{};
            excep->scode = hr;
            ComPtr<IErrorInfo> info;
            if (GetErrorInfo(0, &info) == S_OK && info) {
                info->GetSource(&excep->bstrSource);
                info->GetDescription(&excep->bstrDescription);
                info->GetHelpFile(&excep->bstrHelpFile);
                info->GetHelpContext(&excep->dwHelpContext);
            }
        }
        return DISP_E_EXCEPTION;
    }
    if (result) {
        VariantInit(result);
        // The declared result type even without an array, as the type library's dispatch gives it.
        V_VT(result) = VT_ARRAY | (id == kDispIdArrayBSTR ? VT_BSTR : VT_I4);
        V_ARRAY(result) = array;
    } else {
        SafeArrayDestroy(array);
    }
    return S_OK;
}

// The control's own about box, its form disabled meanwhile and given the focus back after.
// Every step runs whatever became of the earlier ones; their errors stay here.
HRESULT nvkMain::ShowMSAboutBox(IDispatch **MSControlObject) {
    return Guard([&]() -> HRESULT {
        IDispatch* control = MSControlObject ? *MSControlObject : nullptr;
        const std::wstring source = ErrorSourceOf(__uuidof(_nvkMain));
        auto onParent = [&](auto&& step) {
            UniqueVariant parent;
            if (SUCCEEDED(late::GetProperty(control, L"Parent", parent.get(), source)) &&
                V_VT(parent.get()) == VT_DISPATCH)
                step(V_DISPATCH(parent.get()));
        };
        auto enable = [&](bool on) {
            onParent([&](IDispatch* form) {
                VARIANT value;
                V_VT(&value) = VT_BOOL;
                V_BOOL(&value) = on ? VARIANT_TRUE : VARIANT_FALSE;
                late::PutProperty(form, L"Enabled", value, source);
            });
        };
        enable(false);
        late::CallMethod(control, L"AboutBox", source);
        enable(true);
        onParent([&](IDispatch* form) { late::CallMethod(form, L"SetFocus", source); });
        SetErrorInfo(0, nullptr);
        return S_OK;
    });
}

// Title and version numbers of an application object, read by name; a failure is raised.
HRESULT nvkMain::ReadAppObject(IDispatch* app, modAbout::AboutBoxArguments* args) {
    const std::wstring source = ErrorSourceOf(__uuidof(_nvkMain));
    UniqueVariant title, text;
    HRESULT hr = late::GetProperty(app, L"Title", title.get(), source);
    if (FAILED(hr)) return hr;
    if (FAILED(VariantChangeType(text.get(), title.get(), 0, VT_BSTR))) return Raise(13);
    args->Title = FromBstr(V_BSTR(text.get()));
    if (FAILED(hr = late::GetLong(app, L"Major", &args->VerMajor, source))) return hr;
    if (FAILED(hr = late::GetLong(app, L"Minor", &args->VerMinor, source))) return hr;
    return late::GetLong(app, L"Revision", &args->VerRevision, source);
}

// The library's author, address and dedication, with the caller's description and picture.
modAbout::AboutBoxArguments nvkMain::LibraryAboutArguments(BSTR Description, Picture* Picture,
                                                            BSTR PictureToolTipText) {
    modAbout::AboutBoxArguments args;
    args.Author = modAbout::kAuthorName;
    args.AuthorEMail = modAbout::kAuthorEMail;
    args.Devote = modAbout::kDevote;
    args.Description = FromBstr(Description);
    args.Picture = Picture;
    args.PictureToolTipText = FromBstr(PictureToolTipText);
    return args;
}

HRESULT nvkMain::ShowAboutBox(IDispatch *Form, IDispatch *AppObject, BSTR Description, Picture *Picture,
                              BSTR PictureToolTipText) {
    return Guard([&]() -> HRESULT {
        // The form's icons, when they can be read; the box goes without them otherwise.
        ComPtr<IPictureDisp> small, large;
        LONG handle = 0;
        if (SUCCEEDED(late::GetLong(Form, L"hWnd", &handle, ErrorSourceOf(__uuidof(_nvkMain))))) {
            HWND window = static_cast<HWND>(LongToHandle(handle));
            IPictureDisp* icon = nullptr;
            if (nkGetWindowIconSmall(window, &icon) >= 0) Adopt(small, icon);
            icon = nullptr;
            if (nkGetWindowIcon(window, &icon) >= 0) Adopt(large, icon);
        }
        SetErrorInfo(0, nullptr);
        modAbout::AboutBoxArguments args = LibraryAboutArguments(Description, Picture, PictureToolTipText);
        const HRESULT hr = ReadAppObject(AppObject, &args);
        if (FAILED(hr)) return hr;
        args.Icon = large.Get();
        args.SmallIcon = small.Get();
        modAbout::RealShowAboutBox(args);
        return S_OK;
    });
}

HRESULT nvkMain::ShowAboutBox2(Picture *Icon, Picture *IconSmall, IDispatch *AppObject, BSTR Description,
                               Picture *Picture, BSTR PictureToolTipText) {
    return Guard([&]() -> HRESULT {
        modAbout::AboutBoxArguments args = LibraryAboutArguments(Description, Picture, PictureToolTipText);
        const HRESULT hr = ReadAppObject(AppObject, &args);
        if (FAILED(hr)) return hr;
        args.Icon = Icon;
        args.SmallIcon = HasImage(IconSmall) ? IconSmall : Icon;
        modAbout::RealShowAboutBox(args);
        return S_OK;
    });
}

HRESULT nvkMain::ShowAboutBoxEx(BSTR Title, Picture *Icon, Picture *SmallIcon, LONG VerMajor, LONG VerMinor,
                                LONG VerRevision, BSTR Author, BSTR AuthorEMail, BSTR Devote, BSTR Description,
                                Picture *Picture, BSTR PictureToolTipText) {
    return Guard([&]() -> HRESULT {
        modAbout::AboutBoxArguments args;
        args.Title = FromBstr(Title);
        args.Icon = Icon;
        args.SmallIcon = SmallIcon;
        args.VerMajor = VerMajor;
        args.VerMinor = VerMinor;
        args.VerRevision = VerRevision;
        args.Author = FromBstr(Author);
        args.AuthorEMail = FromBstr(AuthorEMail);
        args.Devote = FromBstr(Devote);
        args.Description = FromBstr(Description);
        args.Picture = Picture;
        args.PictureToolTipText = FromBstr(PictureToolTipText);
        modAbout::RealShowAboutBox(args);
        return S_OK;
    });
}

HRESULT nvkMain::Logger(IEventLogger2** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        // The user may have changed since the logger was attached: tell it the current one. A
        // logger that refuses (an older version without UserName) is detached.
        CEventLoggerStub* stub = Globals().logger;
        HRESULT hr = stub ? S_OK : Raise(91);
        if (stub) {
            BSTR user = nullptr;
            const LONG status = nkGetUserName(&user);
            UniqueBstr owned(user);
            if (status < 0) {
                hr = RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_nvkMain)));
            } else {
                hr = stub->put_UserName(owned.get());
            }
        }
        if (FAILED(hr)) {
            lastLoggerError_ = modEventLoggerSupport::TrappedErrorText(hr);
            UniqueVariant ignored;
            DisposeEventLogger(ignored.get());
            SetErrorInfo(0, nullptr);
        }
        return stub ? stub->QueryInterface(IID_PPV_ARGS(Result)) : S_OK;
    });
}

HRESULT nvkMain::get_LastEventLoggerError(BSTR* Result) {
    if (!Result) return E_POINTER;
    return ToBstr(lastLoggerError_, Result);
}

HRESULT nvkMain::InitEventLogger(IDispatch* AppObject, NvkApiBool* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        CEventLoggerStub* stub = Globals().logger;
        // Only an application object will do; anything else is kept as the logger error.
        ComPtr<_App> app;
        HRESULT hr = !AppObject ? Raise(91) : FAILED(AppObject->QueryInterface(IID_PPV_ARGS(&app))) ? Raise(13) : S_OK;
        if (FAILED(hr)) {
            lastLoggerError_ = modEventLoggerSupport::TrappedErrorText(hr);
            return S_OK;
        }
        if (!stub) return Raise(91);
        ComPtr<IDispatch> logger = modEventLoggerSupport::CreateEventLoggerObject(app.Get(), lastLoggerError_);
        stub->SetInnerLogger(logger.Get());
        *Result = stub->InnerLogger() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT nvkMain::InitEventLoggerNonVB(BSTR AppTitle, LONG AppMajor, LONG AppMinor, LONG AppRevision,
                                      NvkApiBool* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        // The application object keeps 16-bit version numbers.
        if (!FitsShort(AppMajor) || !FitsShort(AppMinor) || !FitsShort(AppRevision)) return Raise(6);
        CAppStub* app = CAppStub::New();
        if (!app) return Raise(7);
        app->Init(FromBstr(AppTitle), static_cast<short>(AppMajor),
                  static_cast<short>(AppMinor), static_cast<short>(AppRevision));
        // The outside logger copies what it needs; the stub application object ends here.
        const HRESULT hr = InitEventLogger(static_cast<_App*>(app), Result);
        app->Release();
        return hr;
    });
}

HRESULT nvkMain::DisposeEventLogger(VARIANT* Result) {
    if (!Result) return E_POINTER;
    VariantInit(Result);
    CEventLoggerStub* stub = Globals().logger;
    if (!stub) return Raise(91);
    stub->SetInnerLogger(nullptr);
    return S_OK;
}

// The error display (modErrorDisplay): the error as a message, reported to the thread's
// logger and shown in a message box unless the caller asks for silence.
HRESULT nvkMain::ErrorDisplay(_ErrObject** ErrObject, VbMsgBoxStyle Style, BSTR Title, BSTR* DescriptionText,
                              VARIANT_BOOL* Silent, VbMsgBoxResult* Result) {
    return Guard([&] {
        return modErrorDisplay::ErrorDisplay(this, ErrObject, Style, Title, DescriptionText, Silent, Result);
    });
}
HRESULT nvkMain::ErrorDisplayAPI(LONG ErrorNumber, VbMsgBoxStyle Style, BSTR Title, BSTR* DescriptionText,
                                 VARIANT_BOOL* Silent, VbMsgBoxResult* Result) {
    return Guard([&] {
        return modErrorDisplay::ErrorDisplayAPI(this, ErrorNumber, Style, Title, DescriptionText, Silent, Result);
    });
}
HRESULT nvkMain::ErrorDisplayWinMM(LONG ErrorNumber, VbMsgBoxStyle Style, BSTR Title, BSTR* DescriptionText,
                                   VARIANT_BOOL* Silent, VbMsgBoxResult* Result) {
    return Guard([&] {
        return modErrorDisplay::ErrorDisplayWinMM(this, ErrorNumber, Style, Title, DescriptionText, Silent, Result);
    });
}

// A picture from a file through the library's readers; an empty name gives a new empty picture.
// `PictureInfo` is filled only when it is the library's own object.
HRESULT nvkMain::LoadPictureEx(BSTR FileName, _PictureInfo* PictureInfo, Picture** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        if (SysStringLen(FileName) == 0) {
            PICTDESC empty{};
            empty.cbSizeofstruct = sizeof empty;
            empty.picType = PICTYPE_NONE;
            const HRESULT hr =
                OleCreatePictureIndirect(&empty, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(Result));
            return FAILED(hr) ? PassOnError(hr, ErrorSourceOf(__uuidof(_nvkMain))) : hr;
        }
        VARIANT_BOOL exists = VARIANT_FALSE;
        const LONG status = nkIsFileExist(FileName, &exists);
        if (status < 0) return RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_nvkMain)));
        if (!exists) return Raise(53);
        const ComPtr<kelmor::PictureInfo> info = kelmor::PictureInfo::Of(PictureInfo);
        return PictureFormats_Global::LoadPictureInternal(FromBstr(FileName), info.Get(), Result);
    });
}

// The kept lines of a list file, under the keys 1, 2, ...; trimming and the OEM conversion are
// the support library's. Errors (53 for a missing file) reach the caller only when asked for,
// otherwise the answer is no collection. The file is closed on every way out.
HRESULT nvkMain::ReadStandardListFile(BSTR FileName, BSTR CommentChar, VARIANT_BOOL IgnoreBlanks,
                                      VARIANT_BOOL TrimStrings, VARIANT_BOOL IsOem, VARIANT_BOOL RaiseErrors,
                                      _Collection** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    const HRESULT hr = Guard([&]() -> HRESULT {
        const std::wstring source = ErrorSourceOf(__uuidof(_nvkMain));
        HRESULT failure = S_OK;
        const auto support = [&](LONG(__stdcall * function)(BSTR, BSTR*)) {
            return [&failure, &source, function](std::u16string_view text, std::u16string& out) {
                const UniqueBstr in = NewBstr(Wide(text));
                if (!in) throw std::bad_alloc();
                BSTR result = nullptr;
                const LONG status = function(in.get(), &result);
                std::wstring converted;
                failure = SupportText(status, result, source, converted);
                out = U16(converted);
                return SUCCEEDED(failure);
            };
        };
        core::ListFileConversions conversions;
        conversions.decode = [](std::string_view bytes, std::u16string& text) {
            const UniqueBstr line(
                AnsiToBstr({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}));
            if (!line) throw std::bad_alloc();
            text = U16(FromBstr(line.get()));
            return true;
        };
        conversions.trim = support(nkTrimEx);
        if (IsOem) conversions.fromOem = support(nkOemToAnsi);
        core::ListFileReader reader(
            core::ListFileRules{U16(FromBstr(CommentChar)), IgnoreBlanks != VARIANT_FALSE,
                                TrimStrings != VARIANT_FALSE},
            std::move(conversions));

        const std::wstring path = FromBstr(FileName);
        if (path.find(L'\0') != std::wstring::npos) return Raise(52);
        const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (opened == INVALID_HANDLE_VALUE) return Raise(core::FileOpenErrorNumber(GetLastError()));
        UniqueHandle file(opened);
        std::vector<std::uint8_t> buffer(64 * 1024);
        DWORD read = 0;
        do {
            if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
                return Raise(core::kFileReadErrorNumber);
            }
            if (!(read ? reader.Feed({buffer.data(), read}) : reader.Finish())) return failure;
        } while (read != 0);
        file.reset();

        ComPtr<Collection> list;
        Adopt(list, Collection::NewEmpty());
        if (!list) return Raise(7);
        for (size_t i = 0; i < reader.Items().size(); ++i) {
            const UniqueBstr text = NewBstr(Wide(reader.Items()[i]));
            if (!text) return Raise(7);
            VARIANT item;
            V_VT(&item) = VT_BSTR;
            V_BSTR(&item) = text.get();  // copied by the collection
            const HRESULT added = list->Append(item, std::to_wstring(i + 1).c_str());
            if (FAILED(added)) return added;
        }
        return list->QueryInterface(IID_PPV_ARGS(Result));
    });
    if (SUCCEEDED(hr) || RaiseErrors) return hr;
    SetErrorInfo(0, nullptr);
    return S_OK;
}

// The text box of a hook argument: no object is error 5, an object that is not a text box
// error 13. `identity` receives the control's IUnknown, for comparing objects.
HRESULT nvkMain::TextBoxArgument(IDispatch* control, ComPtr<IUnknown>* identity) {
    if (!control) return Raise(5);
    ComPtr<IUnknown> textBox;
    if (FAILED(control->QueryInterface(__uuidof(::TextBox), reinterpret_cast<void**>(textBox.GetAddressOf())))) {
        return Raise(13);
    }
    return control->QueryInterface(IID_PPV_ARGS(identity->ReleaseAndGetAddressOf()));
}

// Position (1-based) of the hook watching the control `identity` in the hook collection; 0 when
// none does. Hooks are asked for their TextBoxObject by name.
HRESULT nvkMain::FindTextBoxHook(IUnknown* identity, LONG* position) {
    *position = 0;
    if (!textBoxHooks_) return S_OK;
    LONG count = 0;
    HRESULT hr = textBoxHooks_->Count(&count);
    if (FAILED(hr)) return hr;
    const std::wstring source = L"Kelmor0200.nvkMain";
    for (LONG i = 1; i <= count; ++i) {
        UniqueVariant hook;
        hr = late::GetDefaultItem(textBoxHooks_.Get(), i, hook.put(), source);
        if (FAILED(hr)) return hr;
        if (V_VT(hook.get()) != VT_DISPATCH) continue;
        UniqueVariant watched;
        hr = late::GetProperty(V_DISPATCH(hook.get()), L"TextBoxObject", watched.put(), source);
        if (FAILED(hr)) return hr;
        ComPtr<IUnknown> other;
        if ((V_VT(watched.get()) == VT_DISPATCH || V_VT(watched.get()) == VT_UNKNOWN) && V_UNKNOWN(watched.get()) &&
            SUCCEEDED(V_UNKNOWN(watched.get())->QueryInterface(IID_PPV_ARGS(&other))) && other.Get() == identity) {
            *position = i;
            return S_OK;
        }
    }
    return S_OK;
}

HRESULT nvkMain::AddTextBoxInsertHook(IDispatch *TextBoxControl, VARIANT_BOOL *Result) {
    if (Result) *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        ComPtr<IUnknown> identity;
        HRESULT hr = TextBoxArgument(TextBoxControl, &identity);
        if (FAILED(hr)) return hr;
        if (!textBoxHooks_) {
            Adopt(textBoxHooks_, static_cast<_Collection*>(Collection::NewEmpty()));
            if (!textBoxHooks_) return Raise(7);
        }
        LONG position = 0;
        hr = FindTextBoxHook(identity.Get(), &position);
        if (FAILED(hr)) return hr;
        if (position != 0) return S_OK;  // already guarded: False
        ComPtr<IDispatch> hook;
        Adopt(hook, static_cast<IDispatch*>(CTextBoxInsertHook::New()));
        if (!hook) return Raise(7);
        std::array<VARIANT, 1> control{late::ObjectArg(TextBoxControl)};
        hr = late::Call(hook.Get(), L"CurrentHook", DISPATCH_PROPERTYPUTREF, control, nullptr, L"Kelmor0200.nvkMain");
        if (FAILED(hr)) {
            if (textBoxHooks_ && static_cast<Collection*>(textBoxHooks_.Get())->Size() == 0) textBoxHooks_.Reset();
            return hr;
        }
        hr = static_cast<Collection*>(textBoxHooks_.Get())->AppendObject(hook.Get());
        if (FAILED(hr)) return hr;
        if (Result) *Result = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT nvkMain::RemoveTextBoxInsertHook(IDispatch *TextBoxControl, VARIANT_BOOL *Result) {
    if (Result) *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        ComPtr<IUnknown> identity;
        HRESULT hr = TextBoxArgument(TextBoxControl, &identity);
        if (FAILED(hr)) return hr;
        LONG position = 0;
        hr = FindTextBoxHook(identity.Get(), &position);
        if (FAILED(hr) || position == 0) return hr;
        // The collection is kept only while it holds hooks; the removed hook unhooks its control.
        ComPtr<_Collection> hooks = textBoxHooks_;
        VARIANT index = late::LongArg(position);
        hr = hooks->Remove(&index);
        if (FAILED(hr)) return hr;
        LONG count = 0;
        if (SUCCEEDED(hooks->Count(&count)) && count == 0 && textBoxHooks_ == hooks) textBoxHooks_.Reset();
        if (Result) *Result = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT nvkMain::ClearTextBoxInsertHooks() {
    // Every hook is released with the collection and unhooks its text box.
    ComPtr<_Collection> hooks = std::move(textBoxHooks_);
    return S_OK;
}

}  // namespace kelmor
