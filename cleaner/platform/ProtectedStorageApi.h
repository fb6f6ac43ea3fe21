#pragma once
// The protected-storage interfaces as the store's DLL (pstorec.dll, loaded at run time) exposes
// them. The platform SDK no longer ships their header, so the cleaner declares the two interfaces
// it calls itself. The vtable order below is the documented interface order and must not change;
// the methods the cleaner never calls keep their slot with opaque argument types.
#include <windows.h>
#include <objbase.h>

namespace pstore {

using Key = DWORD;
constexpr Key kCurrentUser = 0;

struct ProviderInfo;
struct TypeInfo;
struct AccessRuleset;
struct PromptInfo;
struct IEnumTypes;

struct IEnumItems : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(DWORD count, LPWSTR* names, DWORD* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(DWORD count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumItems** copy) = 0;
};

struct IStore : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInfo(ProviderInfo** info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProvParam(DWORD param, DWORD* size, BYTE** data, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProvParam(DWORD param, DWORD size, BYTE* data, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateType(Key key, const GUID* type, TypeInfo* info, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(Key key, const GUID* type, TypeInfo** info, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteType(Key key, const GUID* type, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateSubtype(Key key, const GUID* type, const GUID* subtype, TypeInfo* info,
                                                    AccessRuleset* rules, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSubtypeInfo(Key key, const GUID* type, const GUID* subtype, TypeInfo** info,
                                                     DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteSubtype(Key key, const GUID* type, const GUID* subtype, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadAccessRuleset(Key key, const GUID* type, const GUID* subtype,
                                                        AccessRuleset** rules, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteAccessRuleset(Key key, const GUID* type, const GUID* subtype,
                                                         AccessRuleset* rules, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumTypes(Key key, DWORD flags, IEnumTypes** types) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumSubtypes(Key key, const GUID* type, DWORD flags, IEnumTypes** subtypes) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteItem(Key key, const GUID* type, const GUID* subtype, LPCWSTR name,
                                                 PromptInfo* prompt, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReadItem(Key key, const GUID* type, const GUID* subtype, LPCWSTR name,
                                               DWORD* size, BYTE** data, PromptInfo* prompt, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteItem(Key key, const GUID* type, const GUID* subtype, LPCWSTR name,
                                                DWORD size, BYTE* data, PromptInfo* prompt, DWORD confirmation,
                                                DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenItem(Key key, const GUID* type, const GUID* subtype, LPCWSTR name,
                                               DWORD mode, PromptInfo* prompt, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseItem(Key key, const GUID* type, const GUID* subtype, LPCWSTR name,
                                                DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumItems(Key key, const GUID* type, const GUID* subtype, DWORD flags,
                                                IEnumItems** items) = 0;
};

// PStoreCreateInstance(store, provider, reserved, flags).
using CreateInstanceFn = HRESULT(WINAPI*)(IStore** store, GUID* provider, void* reserved, DWORD flags);

// Item type and subtype of the browser's saved form data.
constexpr GUID kAutoCompleteType = {0xE161255A, 0x37C3, 0x11D2, {0xBC, 0xAA, 0x00, 0xC0, 0x4F, 0xD9, 0x29, 0xDB}};

}  // namespace pstore
