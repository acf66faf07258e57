// The member and parameter names of one interface's type information, looked up the way
// ITypeInfo::GetIDsOfNames does but from a hash table built once: script hosts ask for a member's
// id by name before every call, and the type information's own lookup walks every member.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace kelmor {

class DispatchNames {
public:
    // The names of `info`'s members, its variables and the members of the interfaces it derives
    // from (a member of the interface itself first). False when the type information cannot be
    // read; the table is then empty.
    bool Build(ITypeInfo* info);

    // As ITypeInfo::GetIDsOfNames: names[0] a member, names[1..] its parameters, compared without
    // regard to letter case (CaseKey). A parameter's id is its position. An unknown member gives
    // DISP_E_UNKNOWNNAME with every id DISPID_UNKNOWN; an unknown parameter DISP_E_UNKNOWNNAME with
    // that id DISPID_UNKNOWN, the others found.
    HRESULT Find(LPOLESTR* names, UINT count, DISPID* ids) const;

private:
    struct Member {
        DISPID id = DISPID_UNKNOWN;
        std::vector<std::wstring> parameters;  // as keys (CaseKey), in order
    };
    bool Add(ITypeInfo* info, int depth);

    std::unordered_map<std::wstring, Member> members_;
};

}  // namespace kelmor
