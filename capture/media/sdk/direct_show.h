// The media framework's interfaces where the platform has none, in the
// SDK's method order, including the methods the capture logic never calls,
// so that an object made for the real framework fits them unchanged.
#ifndef CAPTURE_MEDIA_DIRECT_SHOW_H
#define CAPTURE_MEDIA_DIRECT_SHOW_H

#include "com_base.h"
#include "media_guids.h"

typedef LONGLONG REFERENCE_TIME;
typedef LONG_PTR OAHWND;
typedef LONG OAFilterState;
typedef LONG_PTR OAEVENT;

#define OATRUE (-1)
#define OAFALSE (0)

#define WS_CHILD 0x40000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define BI_BITFIELDS 3L

#define E_ABORT ((HRESULT)0x80004004u)
#define VFW_E_NOT_CONNECTED ((HRESULT)0x80040209u)
#define VFW_E_CANNOT_CONNECT ((HRESULT)0x80040217u)
#define VFW_E_CANNOT_RENDER ((HRESULT)0x80040218u)
#define VFW_E_TYPE_NOT_ACCEPTED ((HRESULT)0x8004022Au)
#define VFW_E_NO_ACCEPTABLE_TYPES ((HRESULT)0x80040207u)

// A fixed underlying type, as the SDK's compiler gives it, so that a
// direction variable may hold a value that is neither direction.
enum PIN_DIRECTION : int { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };
enum FILTER_STATE : int { State_Stopped = 0, State_Paused = 1, State_Running = 2 };
enum _DVRESOLUTION : int {
    DVRESOLUTION_FULL = 1000,
    DVRESOLUTION_HALF = 1001,
    DVRESOLUTION_QUARTER = 1002,
    DVRESOLUTION_DC = 1003
};

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown *pUnk;
    ULONG cbFormat;
    BYTE *pbFormat;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88, "VIDEOINFOHEADER is 88 bytes");

// Types that appear only in signatures of methods the capture logic never calls.
struct IReferenceClock;
struct IEnumMediaTypes;
struct IMediaSample;
struct PIN_INFO;
struct FILTER_INFO;

struct IPin;
struct IEnumPins;
struct IEnumFilters;
struct IFilterGraph;

struct IMediaFilter : public IPersist {
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    virtual HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME tStart) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetState(DWORD dwMilliSecsTimeout, FILTER_STATE *State) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock *pClock) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock **pClock) = 0;
};

struct IBaseFilter : public IMediaFilter {
    virtual HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins **ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR Id, IPin **ppPin) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO *pInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph *pGraph, LPCWSTR pName) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR *pVendorInfo) = 0;
};

struct IPin : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Connect(IPin *pReceivePin, const AM_MEDIA_TYPE *pmt) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin *pConnector, const AM_MEDIA_TYPE *pmt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Disconnect() = 0;
    virtual HRESULT STDMETHODCALLTYPE ConnectedTo(IPin **pPin) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE *pmt) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO *pInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION *pPinDir) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryId(LPWSTR *Id) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE *pmt) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes **ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin **apPin, ULONG *nPin) = 0;
    virtual HRESULT STDMETHODCALLTYPE EndOfStream() = 0;
    virtual HRESULT STDMETHODCALLTYPE BeginFlush() = 0;
    virtual HRESULT STDMETHODCALLTYPE EndFlush() = 0;
    virtual HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) = 0;
};

struct IEnumPins : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG cPins, IPin **ppPins, ULONG *pcFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG cPins) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumPins **ppEnum) = 0;
};

struct IEnumFilters : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG cFilters, IBaseFilter **ppFilter, ULONG *pcFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG cFilters) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumFilters **ppEnum) = 0;
};

struct IFilterGraph : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter *pFilter, LPCWSTR pName) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter *pFilter) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters **ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR pName, IBaseFilter **ppFilter) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConnectDirect(IPin *ppinOut, IPin *ppinIn, const AM_MEDIA_TYPE *pmt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reconnect(IPin *ppin) = 0;
    virtual HRESULT STDMETHODCALLTYPE Disconnect(IPin *ppin) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() = 0;
};

struct IGraphBuilder : public IFilterGraph {
    virtual HRESULT STDMETHODCALLTYPE Connect(IPin *ppinOut, IPin *ppinIn) = 0;
    virtual HRESULT STDMETHODCALLTYPE Render(IPin *ppinOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName,
                                                      IBaseFilter **ppFilter) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR hFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
    virtual HRESULT STDMETHODCALLTYPE ShouldOperationContinue() = 0;
};

struct ICreateDevEnum : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID clsidDeviceClass, IEnumMoniker **ppEnumMoniker,
                                                            DWORD dwFlags) = 0;
};

struct ISampleGrabberCB : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SampleCB(double SampleTime, IMediaSample *pSample) = 0;
    virtual HRESULT STDMETHODCALLTYPE BufferCB(double SampleTime, BYTE *pBuffer, LONG BufferLen) = 0;
};

struct ISampleGrabber : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetOneShot(BOOL OneShot) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMediaType(const AM_MEDIA_TYPE *pType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectedMediaType(AM_MEDIA_TYPE *pType) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBufferSamples(BOOL BufferThem) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentBuffer(LONG *pBufferSize, LONG *pBuffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentSample(IMediaSample **ppSample) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCallback(ISampleGrabberCB *pCallback, LONG WhichMethodToCallback) = 0;
};

struct IMediaControl : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Run() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetState(LONG msTimeout, OAFilterState *pfs) = 0;
    virtual HRESULT STDMETHODCALLTYPE RenderFile(BSTR strFilename) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR strFilename, IDispatch **ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch **ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch **ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE StopWhenReady() = 0;
};

// Events a graph reports to its owner; the second parameter of
// EC_DEVICE_LOST is 0 when the device went away, 1 when it came back.
#define EC_ERRORABORT 0x03
#define EC_DEVICE_LOST 0x1F
#define EC_ERRORABORTEX 0x45

struct IMediaEvent : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT *hEvent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEvent(LONG *lEventCode, LONG_PTR *lParam1, LONG_PTR *lParam2,
                                               LONG msTimeout) = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG msTimeout, LONG *pEvCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG lEvCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG lEvCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeEventParams(LONG lEvCode, LONG_PTR lParam1, LONG_PTR lParam2) = 0;
};

struct IVideoWindow : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE put_Caption(BSTR strCaption) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR *strCaption) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG WindowStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG *WindowStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG WindowStyleEx) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG *WindowStyleEx) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoShow(LONG AutoShow) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoShow(LONG *AutoShow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_WindowState(LONG WindowState) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowState(LONG *WindowState) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG BackgroundPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG *pBackgroundPalette) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Visible(LONG Visible) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Visible(LONG *pVisible) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Left(LONG Left) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Left(LONG *pLeft) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Width(LONG Width) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Width(LONG *pWidth) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Top(LONG Top) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Top(LONG *pTop) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Height(LONG Height) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Height(LONG *pHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Owner(OAHWND Owner) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Owner(OAHWND *Owner) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND Drain) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND *Drain) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BorderColor(LONG *Color) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BorderColor(LONG Color) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG *FullScreenMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG FullScreenMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG Focus) = 0;
    virtual HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND hwnd, LONG uMsg, LONG_PTR wParam, LONG_PTR lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG Left, LONG Top, LONG Width, LONG Height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG *pLeft, LONG *pTop, LONG *pWidth, LONG *pHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG *pWidth, LONG *pHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG *pWidth, LONG *pHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG *pLeft, LONG *pTop, LONG *pWidth, LONG *pHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideCursor(LONG HideCursor) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG *CursorHidden) = 0;
};

struct IIPDVDec : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_IPDisplay(int *displayPix) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IPDisplay(int displayPix) = 0;
};

#endif
