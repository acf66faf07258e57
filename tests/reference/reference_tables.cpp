// reference_tables: the member tables of docs/reference.md, made from the built type library.
//
//   reference_tables --check FILE   compares every generated block of FILE with the type library
//                                   and checks that every class, interface, member and
//                                   enumeration of the library carries a help string; exit 1 on
//                                   any difference
//   reference_tables --write FILE   rewrites the generated blocks of FILE (a class or enumeration
//                                   without a block gets a new section at the end)
//   reference_tables                prints the blocks
//
// A block is the text between "<!-- tables:NAME -->" and "<!-- /tables:NAME -->"; everything
// outside the blocks is written by hand and left as it is. The type library is read from
// Kelmor0200.dll beside this program with ITypeLib/ITypeInfo, the way a client's object browser
// reads it, so the reference shows what clients bind to.
#include <windows.h>
#include <oleauto.h>

#include <wrl/client.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Text.h"

namespace {

using Microsoft::WRL::ComPtr;

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Name and help string of a type (id MEMBERID_NIL) or of one of its members.
struct Doc {
    std::string name, help;
};
Doc DocOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr, help = nullptr;
    info->GetDocumentation(id, &name, &help, nullptr, nullptr);
    Doc doc{Utf8(kelmor::FromBstr(name)), Utf8(kelmor::FromBstr(help))};
    SysFreeString(name);
    SysFreeString(help);
    return doc;
}

// Problems found by --check (and reported by every mode).
std::vector<std::string> g_problems;
void Problem(const std::string& text) { g_problems.push_back(text); }

void RequireHelp(const Doc& doc, const std::string& what) {
    if (doc.help.empty()) Problem("no help string: " + what);
}

// The type as a script or VB client writes it.
std::string TypeName(ITypeInfo* owner, const TYPEDESC& type);

std::string UserTypeName(ITypeInfo* owner, HREFTYPE ref) {
    ComPtr<ITypeInfo> target;
    if (FAILED(owner->GetRefTypeInfo(ref, &target))) return "?";
    TYPEATTR* attr = nullptr;
    if (FAILED(target->GetTypeAttr(&attr))) return "?";
    std::string name;
    if (attr->typekind == TKIND_ALIAS && !(attr->wTypeFlags & TYPEFLAG_FHIDDEN)) {
        name = TypeName(target.Get(), attr->tdescAlias);  // NvkApiBool reads as Boolean
    } else {
        name = DocOf(target.Get()).name;
        // A default interface (and the forms runtime's _Collection, _ErrObject) is written by
        // the name of its class, as object browsers show it.
        if (name.size() > 1 && name[0] == '_' && name[1] != '_') name.erase(0, 1);
    }
    target->ReleaseTypeAttr(attr);
    return name;
}

std::string TypeName(ITypeInfo* owner, const TYPEDESC& type) {
    switch (type.vt) {
    case VT_PTR: return TypeName(owner, *type.lptdesc);
    case VT_SAFEARRAY: return TypeName(owner, *type.lptdesc) + "()";
    case VT_USERDEFINED: return UserTypeName(owner, type.hreftype);
    case VT_I2: return "Integer";
    case VT_I4: case VT_INT: return "Long";
    case VT_I8: return "LongPtr";  // LONG_PTR of the 64-bit library
    case VT_R8: return "Double";
    case VT_DATE: return "Date";
    case VT_BSTR: return "String";
    case VT_BOOL: return "Boolean";
    case VT_VARIANT: return "Variant";
    case VT_DISPATCH: return "Object";
    case VT_UNKNOWN: return "IUnknown";
    case VT_UI1: return "Byte";
    default: return "vt" + std::to_string(type.vt);
    }
}

// The enumeration member of `value` when the parameter's type is an enumeration of the library.
std::string EnumMemberOf(ITypeInfo* owner, const TYPEDESC& type, LONG value) {
    if (type.vt != VT_USERDEFINED) return "";
    ComPtr<ITypeInfo> target;
    if (FAILED(owner->GetRefTypeInfo(type.hreftype, &target))) return "";
    TYPEATTR* attr = nullptr;
    if (FAILED(target->GetTypeAttr(&attr))) return "";
    std::string name;
    for (UINT i = 0; attr->typekind == TKIND_ENUM && i < attr->cVars && name.empty(); ++i) {
        VARDESC* var = nullptr;
        if (FAILED(target->GetVarDesc(i, &var))) continue;
        VARIANT v;
        VariantInit(&v);
        if (SUCCEEDED(VariantChangeType(&v, var->lpvarValue, 0, VT_I4)) && V_I4(&v) == value)
            name = DocOf(target.Get(), var->memid).name;
        target->ReleaseVarDesc(var);
    }
    target->ReleaseTypeAttr(attr);
    return name;
}

std::string DefaultText(ITypeInfo* owner, const ELEMDESC& param) {
    const VARIANT& value = param.paramdesc.pparamdescex->varDefaultValue;
    const TYPEDESC& type = param.tdesc.vt == VT_PTR ? *param.tdesc.lptdesc : param.tdesc;
    switch (V_VT(&value)) {
    case VT_BSTR: return "\"" + Utf8(kelmor::FromBstr(V_BSTR(&value))) + "\"";
    case VT_BOOL: return V_BOOL(&value) ? "True" : "False";
    case VT_I2: case VT_I4: case VT_INT: case VT_UI1: {
        VARIANT v;
        VariantInit(&v);
        VariantChangeType(&v, const_cast<VARIANT*>(&value), 0, VT_I4);
        if (type.vt == VT_BOOL) return V_I4(&v) ? "True" : "False";
        if (type.vt == VT_BSTR && V_I4(&v) == 0) return "\"\"";  // a null BSTR is the empty text
        if (type.vt == VT_DISPATCH || type.vt == VT_UNKNOWN || (type.vt == VT_USERDEFINED && V_I4(&v) == 0 &&
                                                                 EnumMemberOf(owner, type, 0).empty()))
            return "Nothing";
        const std::string member = EnumMemberOf(owner, type, V_I4(&v));
        return member.empty() ? std::to_string(V_I4(&v)) : member;
    }
    default: return "?";
    }
}

struct Member {
    std::string name, kind, params, result, help;
    std::string role;  // ", по умолчанию" for the default member, ", For Each" for the enumerator
};

// One function of an interface as a row: parameters in VB notation ([optional = default],
// ByRef for in/out, ParamArray), the result type, the help string.
Member MemberOf(ITypeInfo* info, const FUNCDESC& func) {
    std::vector<BSTR> names(static_cast<std::size_t>(func.cParams) + 1, nullptr);
    UINT count = 0;
    info->GetNames(func.memid, names.data(), static_cast<UINT>(names.size()), &count);
    Member m;
    const Doc doc = DocOf(info, func.memid);
    m.name = doc.name;
    m.help = doc.help;
    std::string params;
    int shown = 0;
    for (SHORT i = 0; i < func.cParams; ++i) {
        const ELEMDESC& p = func.lprgelemdescParam[i];
        const USHORT flags = p.paramdesc.wParamFlags;
        if (flags & PARAMFLAG_FRETVAL) {
            m.result = TypeName(info, p.tdesc);
            continue;
        }
        // The last parameter of a property's assignment is the value assigned.
        const bool value = (func.invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) && i == func.cParams - 1;
        if (value) {
            m.result = TypeName(info, p.tdesc);
            continue;
        }
        std::string text = (static_cast<UINT>(i) + 1 < count ? Utf8(kelmor::FromBstr(names[i + 1])) : "?");
        if ((flags & PARAMFLAG_FIN) && (flags & PARAMFLAG_FOUT)) text = "ByRef " + text;
        text += " As " + TypeName(info, p.tdesc);
        if (flags & PARAMFLAG_FHASDEFAULT) text += " = " + DefaultText(info, p);
        if (flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) text = "[" + text + "]";
        params += (shown++ ? ", " : "") + text;
    }
    if (func.cParamsOpt == -1) {
        // A parameter array: the SAFEARRAY(VARIANT) before the result.
        const std::size_t at = params.rfind("ByRef ");
        if (at != std::string::npos) params.replace(at, 6, "ParamArray ");
        const std::size_t array = params.rfind(" As Variant()");
        if (array != std::string::npos) params.replace(array, 13, "() As Variant");
    }
    for (BSTR name : names) SysFreeString(name);
    m.params = params;
    return m;
}

std::string KindText(INVOKEKIND kind) {
    switch (kind) {
    case INVOKE_PROPERTYGET: return "чтение";
    case INVOKE_PROPERTYPUT: return "запись";
    case INVOKE_PROPERTYPUTREF: return "запись Set";
    default: return "";
    }
}

// The members of one interface, accessors of one property on one row.
std::string MemberTable(ITypeInfo* info, const std::string& owner, bool events) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return "";
    std::vector<Member> rows;
    std::map<std::string, std::size_t> rowOf;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func))) continue;
        Member m = MemberOf(info, *func);
        RequireHelp({m.name, m.help}, owner + "." + m.name);
        const bool property = func->invkind != INVOKE_FUNC;
        const std::string kind = property ? KindText(func->invkind) : (events ? "событие" : "метод");
        const auto found = rowOf.find(m.name);
        if (property && found != rowOf.end()) {
            Member& row = rows[found->second];
            row.kind += ", " + kind;
            if (func->invkind == INVOKE_PROPERTYGET) {
                row.params = m.params;
                row.result = m.result;
            }
        } else {
            m.kind = property ? "свойство: " + kind : kind;
            if (func->memid == DISPID_VALUE) m.role = ", по умолчанию";
            if (func->memid == DISPID_NEWENUM) m.role = ", For Each";
            rowOf[m.name] = rows.size();
            rows.push_back(m);
        }
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
    std::string table = "| Член | Вид | Параметры | Результат | Описание |\n|---|---|---|---|---|\n";
    for (const Member& m : rows)
        table += "| `" + m.name + "` | " + m.kind + m.role + " | " + (m.params.empty() ? "—" : "`" + m.params + "`") + " | " +
                 (m.result.empty() ? "—" : "`" + m.result + "`") + " | " + m.help + " |\n";
    return table;
}

ComPtr<ITypeInfo> ImplType(ITypeInfo* coclass, UINT index, INT* flags) {
    ComPtr<ITypeInfo> result;
    HREFTYPE ref = 0;
    if (SUCCEEDED(coclass->GetRefTypeOfImplType(index, &ref))) coclass->GetRefTypeInfo(ref, &result);
    coclass->GetImplTypeFlags(index, flags);
    return result;
}

// The block of one class: identity line, members of its default interface, its events.
std::string ClassBlock(ITypeInfo* coclass, const TYPEATTR& attr) {
    const Doc doc = DocOf(coclass);
    RequireHelp(doc, "class " + doc.name);
    std::string block;
    const std::string how = (attr.wTypeFlags & TYPEFLAG_FAPPOBJECT) ? "создаётся по ProgID; глобальный объект"
                          : (attr.wTypeFlags & TYPEFLAG_FCANCREATE) ? "создаётся по ProgID"
                                                                     : "не создаётся, выдаётся другими объектами";
    block += "ProgID `Kelmor0200." + doc.name + "`, CLSID `" + Utf8(kelmor::GuidText(attr.guid)) + "`: " + how + ".\n";
    block += "Справка библиотеки типов: «" + doc.help + "».\n\n";
    for (UINT i = 0; i < attr.cImplTypes; ++i) {
        INT flags = 0;
        ComPtr<ITypeInfo> iface = ImplType(coclass, i, &flags);
        if (!iface) continue;
        const Doc ifaceDoc = DocOf(iface.Get());
        RequireHelp(ifaceDoc, "interface " + ifaceDoc.name);
        // A dual interface is read through its vtable view: the members in slot order.
        ComPtr<ITypeInfo> view = iface;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> vtable;
        if (SUCCEEDED(iface->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
            SUCCEEDED(iface->GetRefTypeInfo(ref, &vtable)))
            view = vtable;
        const bool events = flags & IMPLTYPEFLAG_FSOURCE;
        block += events ? "События (интерфейс `" + ifaceDoc.name + "`):\n\n" : "Интерфейс `" + ifaceDoc.name + "`:\n\n";
        block += MemberTable(view.Get(), doc.name, events);
        if (i + 1 < attr.cImplTypes) block += "\n";
    }
    return block;
}

std::string EnumBlock(ITypeInfo* info, const TYPEATTR& attr) {
    const Doc doc = DocOf(info);
    RequireHelp(doc, "enumeration " + doc.name);
    std::string block = "Перечисление `" + doc.name + "`: «" + doc.help + "».\n\n| Имя | Значение |\n|---|---|\n";
    for (UINT i = 0; i < attr.cVars; ++i) {
        VARDESC* var = nullptr;
        if (FAILED(info->GetVarDesc(i, &var))) continue;
        VARIANT v;
        VariantInit(&v);
        VariantChangeType(&v, var->lpvarValue, 0, VT_I4);
        char hex[16];
        std::snprintf(hex, sizeof hex, "&H%lX", static_cast<unsigned long>(V_I4(&v)));
        block += "| `" + DocOf(info, var->memid).name + "` | " +
                 (V_I4(&v) < 0 ? std::string(hex) + " (" + std::to_string(V_I4(&v)) + ")" : std::to_string(V_I4(&v))) +
                 " |\n";
        info->ReleaseVarDesc(var);
    }
    return block;
}

// name → generated block, in the type library's order.
std::vector<std::pair<std::string, std::string>> Blocks(ITypeLib* library) {
    std::vector<std::pair<std::string, std::string>> blocks;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        if (FAILED(library->GetTypeInfo(i, &info))) continue;
        TYPEATTR* attr = nullptr;
        if (FAILED(info->GetTypeAttr(&attr))) continue;
        // The library's own enumerations carry a GUID; the forms runtime's message-box ones do not.
        if (attr->typekind == TKIND_COCLASS)
            blocks.emplace_back(DocOf(info.Get()).name, ClassBlock(info.Get(), *attr));
        else if (attr->typekind == TKIND_ENUM && attr->guid != GUID_NULL)
            blocks.emplace_back(DocOf(info.Get()).name, EnumBlock(info.Get(), *attr));
        info->ReleaseTypeAttr(attr);
    }
    return blocks;
}

std::string Open(const std::string& name) { return "<!-- tables:" + name + " -->\n"; }
std::string Close(const std::string& name) { return "<!-- /tables:" + name + " -->"; }

// The first line where two texts differ, for the report.
std::string FirstDifference(const std::string& want, const std::string& have) {
    std::size_t a = 0, b = 0;
    while (a < want.size() || b < have.size()) {
        const std::size_t ea = want.find('\n', a), eb = have.find('\n', b);
        const std::string la = want.substr(a, ea - a), lb = have.substr(b, eb - b);
        if (la != lb) return "\n    generated: " + la + "\n    in file:   " + lb;
        if (ea == std::string::npos || eb == std::string::npos) break;
        a = ea + 1;
        b = eb + 1;
    }
    return "";
}

std::wstring LibraryPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Kelmor0200.dll";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (!(argc == 1 || (argc == 3 && (mode == L"--check" || mode == L"--write")))) {
        std::fprintf(stderr, "usage: reference_tables [--check FILE | --write FILE]\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<ITypeLib> library;
    const HRESULT hr = LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, &library);
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot load the type library of %s: 0x%08lX\n", Utf8(LibraryPath()).c_str(),
                     static_cast<unsigned long>(hr));
        return 1;
    }
    const auto blocks = Blocks(library.Get());
    library.Reset();
    CoUninitialize();

    if (argc == 1) {
        for (const auto& [name, block] : blocks) std::printf("%s%s%s\n\n", Open(name).c_str(), block.c_str(), Close(name).c_str());
        for (const std::string& p : g_problems) std::fprintf(stderr, "%s\n", p.c_str());
        return g_problems.empty() ? 0 : 1;
    }

    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", Utf8(argv[2]).c_str());
        return 1;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::map<std::string, bool> known;
    for (const auto& [name, block] : blocks) {
        known[name] = true;
        const std::size_t open = text.find(Open(name));
        const std::size_t close = open == std::string::npos ? open : text.find(Close(name), open);
        if (close == std::string::npos) {
            if (mode == L"--write")
                text += "\n## `" + name + "`\n\n" + Open(name) + block + Close(name) + "\n";
            else
                Problem("no reference entry for " + name);
            continue;
        }
        const std::size_t start = open + Open(name).size();
        const std::string have = text.substr(start, close - start);
        if (have == block) continue;
        if (mode == L"--write")
            text.replace(start, close - start, block);
        else
            Problem("the tables of " + name + " differ from the type library:" + FirstDifference(block, have));
    }
    // A block of a class that is gone.
    for (std::size_t at = text.find("<!-- tables:"); at != std::string::npos; at = text.find("<!-- tables:", at + 1)) {
        const std::size_t end = text.find(" -->", at);
        const std::string name = text.substr(at + 12, end - at - 12);
        if (!known.count(name)) Problem("a reference block for " + name + ", which the type library does not have");
    }
    if (mode == L"--write") {
        std::ofstream(argv[2], std::ios::binary) << text;
        std::printf("written: %s\n", Utf8(argv[2]).c_str());
    }
    for (const std::string& p : g_problems) std::fprintf(stderr, "%s\n", p.c_str());
    if (!g_problems.empty() && mode == L"--check")
        std::fprintf(stderr, "regenerate the tables with tools/reference.sh (then write the prose of what is new)\n");
    return g_problems.empty() ? 0 : 1;
}
