// Every method of the larger interfaces answering E_NOTIMPL, so that a
// backend's objects spell out only the methods they serve.
#ifndef CAPTURE_MEDIA_INTERFACE_STUBS_H
#define CAPTURE_MEDIA_INTERFACE_STUBS_H

#include "direct_show.h"

namespace media {

struct FilterStub : IBaseFilter {
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph *, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR *) override { return E_NOTIMPL; }
};

struct PinStub : IPin {
    HRESULT STDMETHODCALLTYPE Connect(IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin **, ULONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_NOTIMPL; }
};

struct MonikerStub : IMoniker {
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Load(IStream *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Save(IStream *, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx *, IMoniker *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx *, IMoniker *, REFIID, void **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reduce(IBindCtx *, DWORD, IMoniker **, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker *, BOOL, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqual(IMoniker *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Hash(DWORD *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx *, IMoniker *, IMoniker *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx *, IMoniker *, FILETIME *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Inverse(IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker *, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker *, IMoniker **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx *, IMoniker *, LPOLESTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx *, IMoniker *, LPOLESTR, ULONG *, IMoniker **) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD *) override { return E_NOTIMPL; }
};

struct GraphBuilderStub : IGraphBuilder {
    HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter *, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR, IBaseFilter **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ConnectDirect(IPin *, IPin *, const AM_MEDIA_TYPE *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reconnect(IPin *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Disconnect(IPin *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Connect(IPin *, IPin *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Render(IPin *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR, LPCWSTR, IBaseFilter **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetLogFile(DWORD_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Abort() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShouldOperationContinue() override { return E_NOTIMPL; }
};

template <class Base>
struct DispatchStub : Base {
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override {
        return E_NOTIMPL;
    }
};

struct MediaControlStub : DispatchStub<IMediaControl> {
    HRESULT STDMETHODCALLTYPE Run() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Pause() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetState(LONG, OAFilterState *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RenderFile(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddSourceFilter(BSTR, IDispatch **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FilterCollection(IDispatch **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_RegFilterCollection(IDispatch **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE StopWhenReady() override { return E_NOTIMPL; }
};

struct MediaEventStub : DispatchStub<IMediaEvent> {
    HRESULT STDMETHODCALLTYPE GetEventHandle(OAEVENT *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEvent(LONG *, LONG_PTR *, LONG_PTR *, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WaitForCompletion(LONG, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CancelDefaultHandling(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RestoreDefaultHandling(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FreeEventParams(LONG, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
};

struct VideoWindowStub : DispatchStub<IVideoWindow> {
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WindowStyle(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WindowStyle(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WindowStyleEx(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WindowStyleEx(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AutoShow(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AutoShow(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_WindowState(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_WindowState(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_BackgroundPalette(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_BackgroundPalette(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Visible(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Visible(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Left(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Left(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Width(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Width(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Top(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Top(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Height(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Height(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_Owner(OAHWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Owner(OAHWND *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_MessageDrain(OAHWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_MessageDrain(OAHWND *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_BorderColor(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_BorderColor(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_FullScreenMode(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_FullScreenMode(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWindowForeground(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NotifyOwnerMessage(OAHWND, LONG, LONG_PTR, LONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetWindowPosition(LONG, LONG, LONG, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindowPosition(LONG *, LONG *, LONG *, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMinIdealImageSize(LONG *, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMaxIdealImageSize(LONG *, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRestorePosition(LONG *, LONG *, LONG *, LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HideCursor(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsCursorHidden(LONG *) override { return E_NOTIMPL; }
};

} // namespace media

#endif
