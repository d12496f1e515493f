#include "host/ImpIDispatch.h"

#include <windows.h>

STDMETHODIMP CImpIDispatch::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CImpIDispatch::AddRef()
{
    return ++m_refs;
}

STDMETHODIMP_(ULONG) CImpIDispatch::Release()
{
    return --m_refs;
}

STDMETHODIMP CImpIDispatch::GetTypeInfoCount(UINT*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CImpIDispatch::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

STDMETHODIMP CImpIDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids)
{
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        if (CompareStringW(locale, NORM_IGNOREWIDTH, L"xxyyzz", 3, names[i], 3) == CSTR_EQUAL) {
            ids[i] = kWibbleId;
        } else {
            ids[i] = DISPID_UNKNOWN;
            result = DISP_E_UNKNOWNNAME;
        }
    }
    return result;
}

STDMETHODIMP CImpIDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                   VARIANT* result, EXCEPINFO*, UINT*)
{
    if (id == kWibbleId && (flags & DISPATCH_PROPERTYGET) && result) {
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(L"Wibble");
    }
    return S_OK;
}
