#include "host/CustomControlSite.h"

CCustomControlSite::CCustomControlSite(COleControlContainer* container)
    : COleControlSite(container)
{
}

HRESULT CCustomControlSite::ExternalQueryInterface(const IID& iid, void** object)
{
    if (object && (IsEqualIID(iid, IID_IDocHostUIHandler) || IsEqualIID(iid, IID_IUnknown))) {
        *object = static_cast<IDocHostUIHandler*>(&m_xDocHostUIHandler);
        ExternalAddRef();
        return S_OK;
    }
    return COleControlSite::ExternalQueryInterface(iid, object);
}

#define SITE_STATE(handler) AFX_MANAGE_STATE((handler)->site()->m_pModuleState)

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::QueryInterface(REFIID iid, void** object)
{
    SITE_STATE(this);
    return site()->ExternalQueryInterface(iid, object);
}

STDMETHODIMP_(ULONG) CCustomControlSite::XDocHostUIHandler::AddRef()
{
    SITE_STATE(this);
    return site()->ExternalAddRef();
}

STDMETHODIMP_(ULONG) CCustomControlSite::XDocHostUIHandler::Release()
{
    SITE_STATE(this);
    return site()->ExternalRelease();
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*,
                                                                    IDispatch*)
{
    SITE_STATE(this);
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info)
{
    SITE_STATE(this);
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::ShowUI(DWORD, IOleInPlaceActiveObject*,
                                                           IOleCommandTarget*, IOleInPlaceFrame*,
                                                           IOleInPlaceUIWindow*)
{
    SITE_STATE(this);
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::HideUI()
{
    SITE_STATE(this);
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::UpdateUI()
{
    SITE_STATE(this);
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::EnableModeless(BOOL)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::OnDocWindowActivate(BOOL)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::OnFrameWindowActivate(BOOL)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD)
{
    SITE_STATE(this);
    return S_FALSE;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::GetOptionKeyPath(LPOLESTR*, DWORD)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::GetDropTarget(IDropTarget*, IDropTarget**)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::GetExternal(IDispatch** external)
{
    SITE_STATE(this);
    CImpIDispatch& dispatch = site()->m_dispatch;
    dispatch.AddRef();
    *external = &dispatch;
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::TranslateUrl(DWORD, OLECHAR*, OLECHAR**)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::FilterDataObject(IDataObject*, IDataObject**)
{
    SITE_STATE(this);
    return E_NOTIMPL;
}
