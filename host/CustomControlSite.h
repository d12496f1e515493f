#pragma once

#include "Afx.h"
#include "host/ImpIDispatch.h"

#include <mshtmhst.h>

// Site for hosted HTML: no context menu, no 3-D border, no scroll bars, and
// the component's dispatch object as the page's external object.
class CCustomControlSite : public COleControlSite {
public:
    explicit CCustomControlSite(COleControlContainer* container);

    HRESULT ExternalQueryInterface(const IID& iid, void** object) override;

    class XDocHostUIHandler : public IDocHostUIHandler {
    public:
        explicit XDocHostUIHandler(CCustomControlSite* site) : m_site(site) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
        STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
        STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                            IOleInPlaceUIWindow*) override;
        STDMETHODIMP HideUI() override;
        STDMETHODIMP UpdateUI() override;
        STDMETHODIMP EnableModeless(BOOL) override;
        STDMETHODIMP OnDocWindowActivate(BOOL) override;
        STDMETHODIMP OnFrameWindowActivate(BOOL) override;
        STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
        STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override;
        STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override;
        STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override;
        STDMETHODIMP GetExternal(IDispatch** external) override;
        STDMETHODIMP TranslateUrl(DWORD, OLECHAR*, OLECHAR**) override;
        STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override;

    private:
        CCustomControlSite* site() const { return m_site; }
        CCustomControlSite* m_site;
    } m_xDocHostUIHandler{this};

    CImpIDispatch m_dispatch;
};
