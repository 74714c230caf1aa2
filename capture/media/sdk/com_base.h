// The component runtime's base shapes where the platform has none: the
// SDK's scalar types, HRESULTs, GUIDs, IUnknown and IDispatch, and the
// runtime calls. Names, layouts and values are the SDK's own, so the
// capture logic reads the same on either side.
#ifndef CAPTURE_MEDIA_COM_BASE_H
#define CAPTURE_MEDIA_COM_BASE_H

#include "media_export.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Interface methods keep COM's binary contract on 32-bit Windows, where an
// object's method table may be laid out by hand. The runtime's own calls
// live in the namespace media (see below) and keep the default convention.
#if defined(_WIN32) && !defined(_WIN64)
#define STDMETHODCALLTYPE __stdcall
#else
#define STDMETHODCALLTYPE
#endif
#define WINAPI

typedef int32_t HRESULT;
typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int64_t LONGLONG;
typedef intptr_t LONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef size_t SIZE_T;
typedef void *LPVOID;
typedef void *HANDLE;
typedef wchar_t WCHAR;
typedef WCHAR OLECHAR;
typedef const WCHAR *LPCWSTR;
typedef WCHAR *LPWSTR;
typedef OLECHAR *LPOLESTR;
typedef OLECHAR *BSTR;
typedef DWORD LCID;
typedef LONG DISPID;

#define TRUE 1
#define FALSE 0

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001u)
#define E_NOINTERFACE ((HRESULT)0x80004002u)
#define E_POINTER ((HRESULT)0x80004003u)
#define E_FAIL ((HRESULT)0x80004005u)
#define E_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define E_INVALIDARG ((HRESULT)0x80070057u)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110u)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154u)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const IID &REFIID;
typedef const CLSID &REFCLSID;
typedef const GUID &REFGUID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }

struct RECT {
    LONG left, top, right, bottom;
};

struct ULARGE_INTEGER {
    uint64_t QuadPart;
};

struct FILETIME {
    DWORD dwLowDateTime, dwHighDateTime;
};

// Types that appear only in signatures of methods the capture logic never calls.
struct IBindCtx;
struct IStream;
struct ITypeInfo;
struct DISPPARAMS;
struct VARIANT;
struct EXCEPINFO;

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

struct IDispatch : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *pctinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid,
                                                    DISPID *rgDispId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                             DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo,
                                             UINT *puArgErr) = 0;
};

struct IPersist : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID *pClassID) = 0;
};

struct IPersistStream : public IPersist {
    virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IStream *pStm) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IStream *pStm, BOOL fClearDirty) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER *pcbSize) = 0;
};

struct IEnumMoniker;

struct IMoniker : public IPersistStream {
    virtual HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx *pbc, IMoniker *pmkToLeft, REFIID riidResult,
                                                   void **ppvResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx *pbc, IMoniker *pmkToLeft, REFIID riid, void **ppvObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reduce(IBindCtx *pbc, DWORD dwReduceHowFar, IMoniker **ppmkToLeft,
                                             IMoniker **ppmkReduced) = 0;
    virtual HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker *pmkRight, BOOL fOnlyIfNotGeneric,
                                                  IMoniker **ppmkComposite) = 0;
    virtual HRESULT STDMETHODCALLTYPE Enum(BOOL fForward, IEnumMoniker **ppenumMoniker) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEqual(IMoniker *pmkOtherMoniker) = 0;
    virtual HRESULT STDMETHODCALLTYPE Hash(DWORD *pdwHash) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx *pbc, IMoniker *pmkToLeft, IMoniker *pmkNewlyRunning) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx *pbc, IMoniker *pmkToLeft, FILETIME *pFileTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE Inverse(IMoniker **ppmk) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker *pmkOther, IMoniker **ppmkPrefix) = 0;
    virtual HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker *pmkOther, IMoniker **ppmkRelPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx *pbc, IMoniker *pmkToLeft,
                                                     LPOLESTR *ppszDisplayName) = 0;
    virtual HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx *pbc, IMoniker *pmkToLeft, LPOLESTR pszDisplayName,
                                                       ULONG *pchEaten, IMoniker **ppmkOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD *pdwMksys) = 0;
};

struct IEnumMoniker : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IMoniker **rgelt, ULONG *pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumMoniker **ppenum) = 0;
};

// Class contexts.
#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_INPROC_HANDLER 0x2
#define CLSCTX_LOCAL_SERVER 0x4

// The runtime, each thread initialising it before use. Its functions are
// the layer's own, in its namespace, so that they never meet the system's or
// a host's functions of the SDK's names in a process; the capture logic
// calls them by the SDK's names.
namespace media {
MEDIA_API HRESULT CoInitialize(LPVOID pvReserved);
MEDIA_API void CoUninitialize();
MEDIA_API HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown *pUnkOuter, DWORD dwClsContext, REFIID riid,
                                   LPVOID *ppv);
MEDIA_API LPVOID CoTaskMemAlloc(SIZE_T cb);
MEDIA_API void CoTaskMemFree(LPVOID pv);
} // namespace media
using media::CoCreateInstance;
using media::CoInitialize;
using media::CoTaskMemAlloc;
using media::CoTaskMemFree;
using media::CoUninitialize;

#endif
