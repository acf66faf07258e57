// The settings store under Wine's registry: key paths, booleans as text, loading with and
// without a default, saving, the machine root, and window placements saved from and applied
// to a real window through a form object that is called by name only.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>

#include "RegistryTestSupport.h"
#include "Module.h"
#include "registry/nvkNevkitSettings.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace kelmor::test;

const auto kText = static_cast<RegistryType_Const>(0);
const auto kLong = static_cast<RegistryType_Const>(1);
const auto kBinary = static_cast<RegistryType_Const>(2);

// A form as a client program hands it over: an automation object with hWnd and Name and no
// type information, so it can only be called by name. It counts the reads of each property.
class FakeForm final : public IDispatch {
public:
    FakeForm(HWND window, std::wstring name) : window_(window), name_(std::move(name)) {}
    bool hasWindow = true;
    HRESULT nameFailure = S_OK;  // a runtime error the Name property raises
    int windowReads = 0;
    int nameReads = 0;
    LONG refs = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }  // lives on the test's stack
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1) return E_INVALIDARG;
        if (hasWindow && _wcsicmp(names[0], L"hWnd") == 0) {
            ids[0] = 1;
        } else if (_wcsicmp(names[0], L"Name") == 0) {
            ids[0] = 2;
        } else {
            ids[0] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET) || params->cArgs != 0 || !result) return DISP_E_MEMBERNOTFOUND;
        if (id == 1) {
            ++windowReads;
            V_VT(result) = VT_I4;
            V_I4(result) = static_cast<LONG>(reinterpret_cast<LONG_PTR>(window_));
            return S_OK;
        }
        if (id == 2) {
            ++nameReads;
            if (FAILED(nameFailure)) {
                excep->scode = nameFailure;
                excep->bstrSource = SysAllocString(L"FakeForm");
                excep->bstrDescription = SysAllocString(L"No name today");
                return DISP_E_EXCEPTION;
            }
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(name_.c_str());
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    HWND window_;
    std::wstring name_;
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkNevkitSettings::CreateInstance(__uuidof(_nvkNevkitSettings), &settings_)));
        title_ = L"KelmorSettingsTest " + std::to_wstring(GetCurrentProcessId());
        appKey_ = L"Software\\Vestrimo\\Nevkit\\" + title_;
        SHDeleteKeyW(HKEY_CURRENT_USER, appKey_.c_str());
    }
    void TearDown() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, appKey_.c_str());
        settings_.Reset();
        // The settings object and the registry object inside it are gone.
        EXPECT_EQ(0, kelmor::Module::LockCount());
        CoUninitialize();
    }

    std::wstring Path(const wchar_t* title, LONG major, LONG minor, const wchar_t* keyPath) {
        BSTR path = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(settings_->GetSettingPath(Text(title), major, minor, Text(keyPath), &path)));
        std::wstring out(path ? path : L"<null>");
        SysFreeString(path);
        return out;
    }
    // StringToBoolean: the result, or "error n".
    std::wstring ToBoolean(const wchar_t* text) {
        VARIANT_BOOL b = 7;
        const HRESULT hr = settings_->StringToBoolean(Text(text), &b);
        if (FAILED(hr)) return L"error " + std::to_wstring(ErrorNumber(hr));
        return b == VARIANT_TRUE ? L"true" : b == VARIANT_FALSE ? L"false" : L"bad " + std::to_wstring(b);
    }
    std::wstring ToText(VARIANT_BOOL b) {
        BSTR s = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(settings_->BooleanToString(b, &s)));
        std::wstring out(s ? s : L"<null>");
        SysFreeString(s);
        return out;
    }
    bool Save(const wchar_t* subKey, const wchar_t* name, RegistryType_Const type, VARIANT value, LONG major = 0,
              LONG minor = 0, VARIANT_BOOL user = VARIANT_TRUE) {
        VARIANT_BOOL ok = 7;
        EXPECT_EQ(Hr(S_OK), Hr(settings_->SaveSetting(Text(subKey), Text(name), type, value, Text(title_), major, minor,
                                                      user, &ok)));
        VariantClear(&value);
        return ok == VARIANT_TRUE;
    }
    // LoadSetting into `out`; returns Success.
    bool Load(const wchar_t* subKey, const wchar_t* name, RegistryType_Const type, VARIANT* out,
              VARIANT dflt = MissingValue(), LONG major = 0, LONG minor = 0, VARIANT_BOOL user = VARIANT_TRUE) {
        VARIANT_BOOL success = 7;
        VariantInit(out);
        EXPECT_EQ(Hr(S_OK), Hr(settings_->LoadSetting(Text(subKey), Text(name), type, Text(title_), major, minor, dflt,
                                                      user, &success, out)));
        VariantClear(&dflt);
        return success == VARIANT_TRUE;
    }

    ComPtr<_nvkNevkitSettings> settings_;
    std::wstring title_;
    std::wstring appKey_;
};

TEST_F(SettingsTest, KeyPaths) {
    EXPECT_EQ(L"Software\\Vestrimo\\Nevkit\\T", Path(L"T", 0, 0, L""));
    EXPECT_EQ(L"Software\\Vestrimo\\Nevkit\\T\\Version 2.05\\Options", Path(L"T", 2, 5, L"Options"));
    EXPECT_EQ(L"Software\\Vestrimo\\Nevkit\\T\\Options", Path(L"T", 0, 0, L"Options"));
    EXPECT_EQ(L"Software\\Vestrimo\\Nevkit\\T\\Version 3.00", Path(L"T", 3, 0, L""));
    EXPECT_EQ(L"Software\\Vestrimo\\Nevkit\\T\\Version 0.07", Path(L"T", 0, 7, L""));
    // Late-bound with every argument left out: the default title.
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(settings_.Get(), L"GetSettingPath", {}, &result)));
    ASSERT_EQ(VT_BSTR, V_VT(&result));
    EXPECT_STREQ(L"Software\\Vestrimo\\Nevkit\\Nevkit - Byaka", V_BSTR(&result));
    VariantClear(&result);
}

TEST_F(SettingsTest, BooleansAsText) {
    for (const wchar_t* t : {L"True", L"TRUE", L"true", L"tRuE", L"1", L"-1", L"2", L"#TRUE#"})
        EXPECT_EQ(L"true", ToBoolean(t)) << t;
    for (const wchar_t* t : {L"False", L"FALSE", L"false", L"0", L"", L"#FALSE#"})
        EXPECT_EQ(L"false", ToBoolean(t)) << t;
    EXPECT_EQ(L"false", ToBoolean(nullptr));
    EXPECT_EQ(L"error 13", ToBoolean(L"maybe"));
    EXPECT_EQ(L"Kelmor0200.nvkNevkitSettings", ErrorSource());
    EXPECT_EQ(L"error 13", ToBoolean(L" "));
    EXPECT_EQ(L"error 13", ToBoolean(L"Yes"));

    EXPECT_EQ(L"True", ToText(VARIANT_TRUE));
    EXPECT_EQ(L"False", ToText(VARIANT_FALSE));
    EXPECT_EQ(L"True", ToText(1)) << "any value other than 0 is true";
    EXPECT_EQ(L"true", ToBoolean(ToText(VARIANT_TRUE).c_str()));
    EXPECT_EQ(L"false", ToBoolean(ToText(VARIANT_FALSE).c_str()));

    // Check boxes: 1 checked; 0, 2 (grey) and anything else unchecked.
    const struct {
        LONG state;
        const wchar_t* text;
    } checks[] = {{1, L"True"}, {0, L"False"}, {2, L"False"}, {-1, L"False"}, {100, L"False"}};
    for (const auto& c : checks) {
        BSTR s = nullptr;
        ASSERT_EQ(Hr(S_OK), Hr(settings_->CheckToBooleanInString(c.state, &s)));
        EXPECT_STREQ(c.text, s) << c.state;
        SysFreeString(s);
    }
    const struct {
        const wchar_t* text;
        LONG state;
    } states[] = {{L"True", 1}, {L"false", 0}, {L"", 0}, {L"5", 1}, {L"0", 0}};
    for (const auto& s : states) {
        LONG state = 7;
        ASSERT_EQ(Hr(S_OK), Hr(settings_->BooleanInStringToCheck(Text(s.text), &state)));
        EXPECT_EQ(s.state, state) << s.text;
    }
    LONG state = 7;
    EXPECT_EQ(13, ErrorNumber(settings_->BooleanInStringToCheck(Text(L"maybe"), &state)));

    // The error reaches a late-bound caller as error 13 with its source.
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    EXPECT_EQ(Hr(DISP_E_EXCEPTION),
              Hr(CallByName(settings_.Get(), L"StringToBoolean", {TextValue(L"maybe")}, &result, &excep)));
    EXPECT_EQ(Hr(0x800A000D), Hr(excep.scode));
    EXPECT_STREQ(L"Kelmor0200.nvkNevkitSettings", excep.bstrSource);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

TEST_F(SettingsTest, SaveAndLoadUnderTheApplicationKey) {
    EXPECT_TRUE(Save(L"Options", L"Greeting", kText, TextValue(L"hello"), 1, 2));
    const std::wstring key = appKey_ + L"\\Version 1.02\\Options";
    RawValue raw = ReadRaw(key, "Greeting");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ((Bytes{'h', 'e', 'l', 'l', 'o', 0}), raw.bytes);
    VARIANT v;
    ASSERT_TRUE(Load(L"Options", L"Greeting", kText, &v, MissingValue(), 1, 2));
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_STREQ(L"hello", V_BSTR(&v));
    VariantClear(&v);
    // Another version is another key.
    EXPECT_FALSE(Load(L"Options", L"Greeting", kText, &v, MissingValue(), 1, 3));
    VariantClear(&v);

    EXPECT_TRUE(Save(L"", L"Count", kLong, ShortValue(-2)));
    EXPECT_EQ((Bytes{0xFE, 0xFF, 0xFF, 0xFF}), ReadRaw(appKey_, "Count").bytes);
    ASSERT_TRUE(Load(L"", L"Count", kLong, &v));
    EXPECT_EQ(VT_I4, V_VT(&v));
    EXPECT_EQ(-2, V_I4(&v));
    VariantClear(&v);

    // A boolean kept as text reads back through the text conversion.
    BSTR flag = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(settings_->CheckToBooleanInString(1, &flag)));
    VARIANT flagValue;
    V_VT(&flagValue) = VT_BSTR;
    V_BSTR(&flagValue) = flag;
    EXPECT_TRUE(Save(L"Options", L"Flag", kText, flagValue));
    ASSERT_TRUE(Load(L"Options", L"Flag", kText, &v));
    EXPECT_EQ(L"true", ToBoolean(V_BSTR(&v)));
    VariantClear(&v);

    // Refused: the omitted-argument marker, a value of the wrong kind, an invalid type.
    EXPECT_FALSE(Save(L"Refused", L"v", kText, MissingValue()));
    EXPECT_FALSE(Save(L"Refused", L"v", kLong, TextValue(L"12")));
    EXPECT_FALSE(Save(L"Refused", L"v", static_cast<RegistryType_Const>(9), TextValue(L"12")));
    EXPECT_FALSE(KeyExistsUnder(appKey_ + L"\\Refused"));
}

TEST_F(SettingsTest, LoadingWhatWasNeverSaved) {
    VARIANT v;
    EXPECT_FALSE(Load(L"Never", L"n", kLong, &v));
    EXPECT_EQ(VT_I4, V_VT(&v));
    EXPECT_EQ(0, V_I4(&v));
    VariantClear(&v);
    EXPECT_FALSE(Load(L"Never", L"n", kLong, &v, LongValue(5)));
    EXPECT_EQ(VT_I4, V_VT(&v));
    EXPECT_EQ(5, V_I4(&v));
    VariantClear(&v);
    // The default comes back unchanged, whatever its type.
    EXPECT_FALSE(Load(L"Never", L"n", kLong, &v, TextValue(L"five")));
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_STREQ(L"five", V_BSTR(&v));
    VariantClear(&v);
    VARIANT nullDefault;
    V_VT(&nullDefault) = VT_NULL;
    EXPECT_FALSE(Load(L"Never", L"n", kText, &v, nullDefault));
    EXPECT_EQ(VT_NULL, V_VT(&v));
    EXPECT_FALSE(Load(L"Never", L"n", kText, &v));
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_EQ(0u, SysStringLen(V_BSTR(&v)));
    VariantClear(&v);
    EXPECT_FALSE(Load(L"Never", L"n", kBinary, &v));
    EXPECT_EQ(Bytes{}, BytesOf(v));
    VariantClear(&v);
    EXPECT_FALSE(Load(L"Never", L"n", static_cast<RegistryType_Const>(7), &v));
    EXPECT_EQ(VT_EMPTY, V_VT(&v));
    // Reading makes no key.
    EXPECT_FALSE(KeyExistsUnder(appKey_));

    // Late-bound with Success and Default left out (Success arrives as no pointer).
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(settings_.Get(), L"LoadSetting",
                                      {TextValue(L"Never"), TextValue(L"n"), LongValue(1), TextValue(title_)}, &result)));
    EXPECT_EQ(VT_I4, V_VT(&result));
    EXPECT_EQ(0, V_I4(&result));
}

TEST_F(SettingsTest, MachineSettingsGoUnderTheMachineRoot) {
    // The machine root of this process is pointed at a key of the test for a moment.
    TestKey machine(UniqueKeyPath(L"KelmorSettingsTest Machine"));
    HKEY writable = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, machine.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &writable, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, writable));
    const bool saved = Save(L"Options", L"Where", kText, TextValue(L"machine"), 0, 0, VARIANT_FALSE);
    VARIANT v;
    const bool loaded = Load(L"Options", L"Where", kText, &v, MissingValue(), 0, 0, VARIANT_FALSE);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(writable);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(std::wstring(L"machine"), V_VT(&v) == VT_BSTR ? V_BSTR(&v) : L"<not text>");
    VariantClear(&v);
    EXPECT_EQ((Bytes{'m', 'a', 'c', 'h', 'i', 'n', 'e', 0}),
              ReadRaw(machine.Path() + L"\\" + appKey_ + L"\\Options", "Where").bytes);
    EXPECT_FALSE(KeyExistsUnder(appKey_)) << "nothing under the user's root";
}

class PlacementTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KelmorPlacementTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"Placement", WS_OVERLAPPEDWINDOW, 100, 120, 320, 240, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(window_);
        ShowWindow(window_, SW_SHOWNORMAL);
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        SettingsTest::TearDown();
    }
    WINDOWPLACEMENT Placement() {
        WINDOWPLACEMENT p{};
        p.length = sizeof p;
        EXPECT_TRUE(GetWindowPlacement(window_, &p));
        return p;
    }
    bool SaveForm(IDispatch* form, const wchar_t* subKey = L"", HRESULT* hr = nullptr) {
        VARIANT_BOOL ok = 7;
        const HRESULT r = settings_->SaveFormPlacement(form, Text(subKey), Text(L"Window placement"), Text(title_), 0, 0,
                                                       VARIANT_TRUE, &ok);
        if (hr) *hr = r; else EXPECT_EQ(Hr(S_OK), Hr(r));
        return ok == VARIANT_TRUE;
    }
    bool LoadForm(IDispatch* form, const wchar_t* subKey = L"", HRESULT* hr = nullptr) {
        VARIANT_BOOL ok = 7;
        const HRESULT r = settings_->LoadFormPlacement(form, Text(subKey), Text(L"Window placement"), Text(title_), 0, 0,
                                                       VARIANT_TRUE, &ok);
        if (hr) *hr = r; else EXPECT_EQ(Hr(S_OK), Hr(r));
        return ok == VARIANT_TRUE;
    }
    static std::string Rect(const RECT& r) {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }

    HWND window_ = nullptr;
};

TEST_F(PlacementTest, SavedPlacementIsRestoredAfterTheWindowMoved) {
    FakeForm form(window_, L"frmPlacement");
    const WINDOWPLACEMENT saved = Placement();
    ASSERT_TRUE(SaveForm(&form));
    EXPECT_EQ(1, form.nameReads) << "an empty key path means the form's Name";
    // The stored value: the 44-byte platform record under the form's name.
    RawValue raw = ReadRaw(appKey_ + L"\\frmPlacement", "Window placement");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), raw.type);
    ASSERT_EQ(44u, raw.bytes.size());
    EXPECT_EQ(0, memcmp(raw.bytes.data(), &saved, 44));
    EXPECT_EQ((Bytes{44, 0, 0, 0}), Bytes(raw.bytes.begin(), raw.bytes.begin() + 4));

    SetWindowPos(window_, nullptr, 300, 310, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window_, SW_MINIMIZE);
    ASSERT_NE(Rect(saved.rcNormalPosition), Rect(Placement().rcNormalPosition));
    ASSERT_TRUE(IsIconic(window_));

    ASSERT_TRUE(LoadForm(&form));
    const WINDOWPLACEMENT restored = Placement();
    EXPECT_EQ(Rect(saved.rcNormalPosition), Rect(restored.rcNormalPosition));
    EXPECT_EQ(saved.showCmd, restored.showCmd);
    EXPECT_FALSE(IsIconic(window_));
    RECT now{};
    GetWindowRect(window_, &now);
    EXPECT_EQ(Rect(saved.rcNormalPosition), Rect(now));
    EXPECT_EQ(1, form.refs) << "the form's references are all given back";
}

TEST_F(PlacementTest, ShowStateAndExplicitKeyPath) {
    FakeForm form(window_, L"frmIgnored");
    ShowWindow(window_, SW_MAXIMIZE);
    const WINDOWPLACEMENT saved = Placement();
    ASSERT_EQ(static_cast<UINT>(SW_SHOWMAXIMIZED), saved.showCmd);
    ASSERT_TRUE(SaveForm(&form, L"Windows\\Main"));
    EXPECT_EQ(0, form.nameReads) << "a key path given: the Name is not asked";
    EXPECT_EQ(44u, ReadRaw(appKey_ + L"\\Windows\\Main", "Window placement").bytes.size());
    ShowWindow(window_, SW_RESTORE);
    SetWindowPos(window_, nullptr, 10, 20, 150, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_FALSE(IsZoomed(window_));
    ASSERT_TRUE(LoadForm(&form, L"Windows\\Main"));
    EXPECT_TRUE(IsZoomed(window_));
    EXPECT_EQ(static_cast<UINT>(SW_SHOWMAXIMIZED), Placement().showCmd);
    EXPECT_EQ(Rect(saved.rcNormalPosition), Rect(Placement().rcNormalPosition));
}

TEST_F(PlacementTest, OnlyAFortyFourByteValueIsApplied) {
    FakeForm form(window_, L"frmSizes");
    const std::wstring key = appKey_ + L"\\frmSizes";
    // Nothing saved: false, window as it was, its handle not even asked for.
    const WINDOWPLACEMENT before = Placement();
    EXPECT_FALSE(LoadForm(&form));
    EXPECT_EQ(0, form.windowReads);

    ASSERT_TRUE(SaveForm(&form));
    RawValue raw = ReadRaw(key, "Window placement");
    ASSERT_EQ(44u, raw.bytes.size());
    SetWindowPos(window_, nullptr, 400, 30, 220, 170, SWP_NOZORDER | SWP_NOACTIVATE);
    const WINDOWPLACEMENT moved = Placement();

    WriteRaw(key, "Window placement", REG_BINARY, Bytes(raw.bytes.begin(), raw.bytes.begin() + 40));
    EXPECT_FALSE(LoadForm(&form));
    EXPECT_EQ(Rect(moved.rcNormalPosition), Rect(Placement().rcNormalPosition));
    Bytes longer = raw.bytes;
    longer.push_back(0);
    WriteRaw(key, "Window placement", REG_BINARY, longer);
    EXPECT_FALSE(LoadForm(&form));
    EXPECT_EQ(Rect(moved.rcNormalPosition), Rect(Placement().rcNormalPosition));

    // The stored length field does not matter: it is set to 44 before the record is applied.
    Bytes badLength = raw.bytes;
    badLength[0] = 0x99;
    WriteRaw(key, "Window placement", REG_BINARY, badLength);
    EXPECT_TRUE(LoadForm(&form));
    EXPECT_EQ(Rect(before.rcNormalPosition), Rect(Placement().rcNormalPosition));
}

TEST_F(PlacementTest, FormObjectsThatCannotServe) {
    // No window behind the handle: false, and nothing is written.
    FakeForm gone(nullptr, L"frmGone");
    EXPECT_FALSE(SaveForm(&gone));
    EXPECT_FALSE(KeyExistsUnder(appKey_));

    // No hWnd member: error 438, as a late-binding client gets it.
    FakeForm noWindow(window_, L"frmNoWindow");
    noWindow.hasWindow = false;
    HRESULT hr = S_OK;
    EXPECT_FALSE(SaveForm(&noWindow, L"", &hr));
    EXPECT_EQ(438, ErrorNumber(hr));
    EXPECT_EQ(L"Kelmor0200.nvkNevkitSettings", ErrorSource());
    // No object at all: error 91.
    EXPECT_FALSE(SaveForm(nullptr, L"", &hr));
    EXPECT_EQ(91, ErrorNumber(hr));
    EXPECT_FALSE(LoadForm(nullptr, L"", &hr));
    EXPECT_EQ(91, ErrorNumber(hr));
    // An error the form raises reaches the caller as the form's own error.
    FakeForm failing(window_, L"frmFailing");
    failing.nameFailure = static_cast<HRESULT>(0x800A017C);  // 380
    EXPECT_FALSE(LoadForm(&failing, L"", &hr));
    EXPECT_EQ(380, ErrorNumber(hr));
    EXPECT_EQ(L"FakeForm", ErrorSource());
    EXPECT_FALSE(KeyExistsUnder(appKey_));
}

}  // namespace
