// Small automation objects standing for a client's objects in the dialogs' tests: pages with
// `Visible` and `ZOrder`, an array-like object with `LBound`, `UBound` and a default member,
// and an event sink. Names are matched without regard to case, as automation does.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>
#include <vector>

namespace kelmor::test {

// The common IUnknown/IDispatch plumbing of the fakes: names map to ids through a table.
class FakeDispatch : public IDispatch {
public:
    virtual ~FakeDispatch() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || Answers(riid)) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs;
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (const auto& [name, id] : members)
            if (_wcsicmp(name.c_str(), names[0]) == 0) {
                ids[0] = id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        return DISP_E_UNKNOWNNAME;
    }

    ULONG refs = 1;
    std::vector<std::pair<std::wstring, DISPID>> members;

protected:
    virtual bool Answers(REFIID) const { return false; }
    // Fills the EXCEPINFO of a raised runtime error.
    static HRESULT RaiseIn(EXCEPINFO* excep, LONG number, const wchar_t* description) {
        if (excep) {
            *excep = EXCEPINFO{};
            excep->scode = static_cast<SCODE>(0x800A0000 | number);
            excep->bstrSource = SysAllocString(L"FakePage");
            excep->bstrDescription = SysAllocString(description);
        }
        return DISP_E_EXCEPTION;
    }
};

// A page: logs "Z<n>" for ZOrder, "V<n>" / "H<n>" for Visible = True / False.
class FakePage final : public FakeDispatch {
public:
    FakePage(int number, std::string* log, bool hasZOrder = true) : number_(number), log_(log) {
        members.push_back({L"Visible", 1});
        if (hasZOrder) members.push_back({L"ZOrder", 2});
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT*) override {
        if (result) VariantInit(result);
        if (failuresLeft > 0) {
            --failuresLeft;
            return RaiseIn(excep, 1234, L"page refused");
        }
        if (id == 1 && (flags & DISPATCH_PROPERTYPUT)) {
            if (params->cArgs != 1 || params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                return DISP_E_BADPARAMCOUNT;
            VARIANT b;
            VariantInit(&b);
            if (FAILED(VariantChangeType(&b, &params->rgvarg[0], 0, VT_BOOL))) return DISP_E_TYPEMISMATCH;
            visible = V_BOOL(&b) != VARIANT_FALSE;
            Log((visible ? "V" : "H") + std::to_string(number_));
            return S_OK;
        }
        if (id == 1 && (flags & DISPATCH_PROPERTYGET) && result) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = visible ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        if (id == 2 && (flags & DISPATCH_METHOD)) {
            if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
            Log("Z" + std::to_string(number_));
            if (onZOrder) onZOrder();
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    bool visible = false;
    int failuresLeft = 0;             // the next calls raise error 1234
    std::function<void()> onZOrder;   // runs inside ZOrder (re-entrant calls)

private:
    void Log(const std::string& entry) {
        if (!log_) return;
        if (!log_->empty()) *log_ += ' ';
        *log_ += entry;
    }
    int number_;
    std::string* log_;
};

// An array-like object such as a control array: LBound, UBound and a default member taking
// the index. Elements are VARIANTs (objects or anything else).
class FakeArray final : public FakeDispatch {
public:
    FakeArray(LONG lower, std::vector<VARIANT> elements) : lower_(lower), elements_(std::move(elements)) {
        members.push_back({L"LBound", 1});
        members.push_back({L"UBound", 2});
    }
    ~FakeArray() override {
        for (VARIANT& v : elements_) VariantClear(&v);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (!result) return E_INVALIDARG;
        VariantInit(result);
        if (id == 1 || id == 2) {
            V_VT(result) = VT_I2;  // a control array answers Integer bounds
            V_I2(result) = static_cast<SHORT>(id == 1 ? lower_ : lower_ + static_cast<LONG>(elements_.size()) - 1);
            return S_OK;
        }
        if (id == DISPID_VALUE) {
            if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
            VARIANT index;
            VariantInit(&index);
            if (FAILED(VariantChangeType(&index, &params->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
            const LONG i = V_I4(&index) - lower_;
            if (i < 0 || i >= static_cast<LONG>(elements_.size())) return DISP_E_BADINDEX;
            return VariantCopy(result, &elements_[static_cast<size_t>(i)]);
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    LONG lower_;
    std::vector<VARIANT> elements_;
};

// An event sink for __nvkTabControl: records every TabShown.
class FakeTabSink final : public FakeDispatch {
public:
    explicit FakeTabSink(REFIID events) : events_(events) {}
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id != 1 || params->cArgs != 1 || V_VT(&params->rgvarg[0]) != VT_I4) {
            ++unexpected;
            return DISP_E_MEMBERNOTFOUND;
        }
        const LONG tab = V_I4(&params->rgvarg[0]);
        shown.push_back(tab);
        if (onShown) onShown(tab);
        return S_OK;
    }

    std::vector<LONG> shown;
    int unexpected = 0;
    std::function<void(LONG)> onShown;

protected:
    bool Answers(REFIID riid) const override { return IsEqualIID(riid, events_); }

private:
    IID events_;
};

inline VARIANT ObjectValue(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    if (object) object->AddRef();
    return v;
}

}  // namespace kelmor::test
