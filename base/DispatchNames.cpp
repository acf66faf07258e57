#include "DispatchNames.h"

#include <wrl/client.h>

#include <new>

#include "Owners.h"
#include "Text.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

// The names of one member: its own, then its parameters'.
bool MemberNames(ITypeInfo* info, MEMBERID id, std::vector<std::wstring>& names) {
    BSTR raw[64] = {};
    UINT got = 0;
    if (FAILED(info->GetNames(id, raw, 64, &got)) || got == 0) return false;
    names.clear();
    for (UINT i = 0; i < got; ++i) {
        UniqueBstr owned(raw[i]);
        names.push_back(CaseKey(FromBstr(owned.get())));
    }
    return true;
}

}  // namespace

bool DispatchNames::Add(ITypeInfo* info, int depth) {
    if (depth > 8) return false;  // a chain of interfaces that long is not a type library's
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return false;
    const WORD functions = attributes->cFuncs, variables = attributes->cVars, bases = attributes->cImplTypes;
    info->ReleaseTypeAttr(attributes);
    std::vector<std::wstring> names;
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) return false;
        const MEMBERID id = function->memid;
        info->ReleaseFuncDesc(function);
        if (!MemberNames(info, id, names)) return false;
        // The accessors of a property share its name and id; the first keeps its parameters.
        Member& member = members_.try_emplace(names[0]).first->second;
        if (member.id == DISPID_UNKNOWN) {
            member.id = id;
            member.parameters.assign(names.begin() + 1, names.end());
        } else if (member.id == id && names.size() - 1 > member.parameters.size()) {
            member.parameters.assign(names.begin() + 1, names.end());
        }
    }
    for (UINT i = 0; i < variables; ++i) {
        VARDESC* variable = nullptr;
        if (FAILED(info->GetVarDesc(i, &variable))) return false;
        const MEMBERID id = variable->memid;
        info->ReleaseVarDesc(variable);
        if (!MemberNames(info, id, names)) return false;
        members_.try_emplace(names[0], Member{id, {}});
    }
    // Members the interface inherits come after its own, as the type information searches them.
    for (UINT i = 0; i < bases; ++i) {
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> base;
        if (FAILED(info->GetRefTypeOfImplType(i, &reference)) || FAILED(info->GetRefTypeInfo(reference, &base)))
            return false;
        if (!Add(base.Get(), depth + 1)) return false;
    }
    return true;
}

bool DispatchNames::Build(ITypeInfo* info) {
    members_.clear();
    try {
        if (info && Add(info, 0)) return true;
    } catch (const std::bad_alloc&) {
    }
    members_.clear();
    return false;
}

HRESULT DispatchNames::Find(LPOLESTR* names, UINT count, DISPID* ids) const {
    if (!names || !ids) return E_INVALIDARG;
    if (count == 0) return S_OK;
    try {
        const auto found = names[0] ? members_.find(CaseKey(names[0])) : members_.end();
        if (found == members_.end()) {
            for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
            return DISP_E_UNKNOWNNAME;
        }
        ids[0] = found->second.id;
        HRESULT hr = S_OK;
        const std::vector<std::wstring>& parameters = found->second.parameters;
        for (UINT i = 1; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            const std::wstring key = names[i] ? CaseKey(names[i]) : std::wstring();
            for (size_t p = 0; p < parameters.size(); ++p) {
                if (names[i] && parameters[p] == key) {
                    ids[i] = static_cast<DISPID>(p);
                    break;
                }
            }
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace kelmor
