#include "nvkSimpleListDialog.h"

#include <olectl.h>

#include "Collection.h"
#include "Owners.h"
#include "Text.h"
#include "core/ListDialogRules.h"
#include "frmList.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {

HRESULT NewListDialogFont(IFontDisp** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = const_cast<LPOLESTR>(L"Tahoma");
    desc.cySize.int64 = 90000;  // 9 points (a currency value: four decimal places)
    desc.sWeight = FW_NORMAL;
    desc.sCharset = RUSSIAN_CHARSET;
    ComPtr<IFont> font;
    HRESULT hr = OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void**>(font.GetAddressOf()));
    if (FAILED(hr)) return hr;
    CY size{};
    size.int64 = 90000;
    BSTR name = SysAllocString(L"Tahoma");
    if (!name) return E_OUTOFMEMORY;
    const HRESULT steps[] = {
        font->put_Bold(FALSE),
        font->put_Charset(RUSSIAN_CHARSET),
        font->put_Italic(FALSE),
        font->put_Name(name),
        font->put_Size(size),
        font->put_Strikethrough(FALSE),
        font->put_Underline(FALSE),
        font->put_Weight(100),
    };
    SysFreeString(name);
    for (HRESULT step : steps)
        if (FAILED(step)) return step;
    return font->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(result));
}

HRESULT nvkSimpleListDialog::CreateInstance(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    nvkSimpleListDialog* object = New<nvkSimpleListDialog>();
    if (!object) return E_OUTOFMEMORY;
    HRESULT hr = object->Init();
    if (SUCCEEDED(hr)) hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

HRESULT nvkSimpleListDialog::Init() {
    Collection* elements = Collection::NewEmpty();
    if (!elements) return E_OUTOFMEMORY;
    Adopt(elements_, elements);
    return NewListDialogFont(font_.ReleaseAndGetAddressOf());
}

HRESULT nvkSimpleListDialog::get_Elements(_Collection** Result) {
    if (!Result) return E_POINTER;
    *Result = elements_.Get();
    if (*Result) (*Result)->AddRef();
    return S_OK;
}

HRESULT nvkSimpleListDialog::putref_Elements(_Collection* Value) {
    // Nothing stands for a new empty list: Elements is never Nothing.
    if (Value) {
        elements_ = Value;
        return S_OK;
    }
    Collection* empty = Collection::NewEmpty();
    if (!empty) return Raise(7);
    Adopt(elements_, empty);
    return S_OK;
}

HRESULT nvkSimpleListDialog::put_Elements(_Collection* Value) { return putref_Elements(Value); }

HRESULT nvkSimpleListDialog::putref_Font(Font* Value) {
    font_ = Value;  // the same object, no copy
    return S_OK;
}

HRESULT nvkSimpleListDialog::put_Font(Font* Value) { return putref_Font(Value); }

HRESULT nvkSimpleListDialog::get_Font(Font** Result) {
    if (!Result) return E_POINTER;
    *Result = font_.Get();
    if (*Result) (*Result)->AddRef();
    return S_OK;
}

HRESULT nvkSimpleListDialog::put_ShowCountInCaption(VARIANT_BOOL Value) {
    showCountInCaption_ = Value != VARIANT_FALSE;
    return S_OK;
}

HRESULT nvkSimpleListDialog::get_ShowCountInCaption(VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = showCountInCaption_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT nvkSimpleListDialog::put_Caption(BSTR Value) {
    return Guard([&] {
        caption_ = FromBstr(Value);
        return S_OK;
    });
}

HRESULT nvkSimpleListDialog::get_Caption(BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = SysAllocStringLen(caption_.data(), static_cast<UINT>(caption_.size()));
    return *Result ? S_OK : Raise(7);
}

HRESULT nvkSimpleListDialog::Show() {
    return Guard([&] {
        // The dialog only displays: from here on a step that fails is skipped and the next
        // one runs, and no error reaches the caller.
        frmList form;
        form.Load();

        // Elements (the caller's collection may have changed it meanwhile): each converted to
        // text as the runtime converts a value for display; what cannot be converted is left out.
        ComPtr<_Collection> elements = elements_;
        LONG count = 0;
        if (elements && SUCCEEDED(elements->Count(&count))) {
            for (LONG i = 1; i <= count; ++i) {
                VARIANT index;
                V_VT(&index) = VT_I4;
                V_I4(&index) = i;
                UniqueVariant item, text;
                if (FAILED(elements->Item(&index, item.get()))) continue;
                if (FAILED(VariantChangeTypeEx(text.get(), item.get(), LOCALE_USER_DEFAULT, 0, VT_BSTR))) continue;
                form.AddItem(FromBstr(V_BSTR(text.get())));
            }
        }

        form.SetCaption(Wide(core::ListCaption(U16(caption_), showCountInCaption_, form.ListCount())));
        ComPtr<IFontDisp> font = font_;
        form.SetFont(font.Get());

        form.ShowModal();
        // The form unloads as it goes out of scope. Failures skipped on the way leave no
        // error information behind.
        SetErrorInfo(0, nullptr);
        return S_OK;
    });
}

}  // namespace kelmor
