#include "Accessible.h"

#include "ModuleState.h"

namespace {

// Child ids arrive as VT_I4 variants; anything else names no child.
bool childOf(const VARIANT& child, long& id)
{
    if (child.vt != VT_I4)
        return false;
    id = child.lVal;
    return true;
}

HRESULT giveText(const CString& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = text.IsEmpty() ? nullptr : ::SysAllocString(text);
    return *out ? S_OK : S_FALSE;
}

} // namespace

class CAccessible::Object final : public IAccessible {
public:
    Object(HWND hwnd, const IAccessibleSource& source, IAccessible* standard)
        : m_hwnd(hwnd), m_source(&source), m_standard(standard), m_moduleState(AfxGetModuleState())
    {
    }

    HWND hwnd() const { return m_hwnd; }
    void disconnect() { m_source = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The window handle behind the object comes from the system's one.
        if (iid == IID_IOleWindow)
            return m_standard->QueryInterface(iid, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        return m_standard->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return m_standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override
    {
        return m_standard->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override
    {
        return m_standard->Invoke(id, iid, locale, flags, params, result, exception, argumentError);
    }

    // IAccessible: what the source knows, the rest from the system's object.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        return m_standard->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!m_source)
            return CO_E_OBJNOTCONNECTED;
        const long parts = m_source->accessibleParts();
        if (parts == 0)
            return m_standard->get_accChildCount(count);
        *count = parts;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        long id = 0;
        if (m_source && m_source->accessibleParts() > 0 && childOf(child, id) && id > 0) {
            // The parts are simple elements, described through this object.
            *out = nullptr;
            return S_FALSE;
        }
        return m_standard->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override
    {
        return text(child, out, &AccessibleFacts::name, &IAccessible::get_accName);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override
    {
        return text(child, out, &AccessibleFacts::value, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override
    {
        return text(child, out, &AccessibleFacts::description, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override
    {
        return text(child, out, &AccessibleFacts::shortcut, &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override
    {
        AccessibleFacts facts;
        const HRESULT known = describe(child, facts);
        if (known != S_OK)
            return known;
        if (facts.role == 0)
            return m_standard->get_accRole(child, out);
        out->vt = VT_I4;
        out->lVal = facts.role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override
    {
        AccessibleFacts facts;
        const HRESULT known = describe(child, facts);
        if (known != S_OK)
            return known;
        out->vt = VT_I4;
        out->lVal = facts.state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override
    {
        return m_standard->get_accHelp(self(child), out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return m_standard->get_accHelpTopic(file, self(child), topic);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override
    {
        return m_standard->get_accFocus(out);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override
    {
        return m_standard->get_accSelection(out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override
    {
        return m_standard->get_accDefaultAction(self(child), out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return m_standard->accSelect(flags, self(child));
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override
    {
        return m_standard->accLocation(left, top, width, height, self(child));
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return m_standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override
    {
        return m_standard->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        return m_standard->accDoDefaultAction(self(child));
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Object() { m_standard->Release(); }

    // A part stands where the window stands for what the system knows of it.
    static VARIANT self(const VARIANT& child)
    {
        VARIANT window = child;
        long id = 0;
        if (childOf(child, id) && id > 0)
            window.lVal = CHILDID_SELF;
        return window;
    }

    HRESULT describe(const VARIANT& child, AccessibleFacts& facts) const
    {
        long id = 0;
        if (!m_source)
            return CO_E_OBJNOTCONNECTED;
        if (!childOf(child, id) || id < 0 || id > m_source->accessibleParts())
            return E_INVALIDARG;
        VARIANT state{};
        if (m_standard->get_accState(self(child), &state) == S_OK && state.vt == VT_I4)
            facts.state = state.lVal;
        // A screen reader calls in from outside any of the window's
        // messages; the facts come from the window's module, its strings
        // among them.
        AFX_MANAGE_STATE(m_moduleState);
        m_source->describe(id, facts);
        return S_OK;
    }

    using StandardText = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
    HRESULT text(const VARIANT& child, BSTR* out, CString AccessibleFacts::*field,
                 StandardText standard)
    {
        AccessibleFacts facts;
        const HRESULT known = describe(child, facts);
        if (known != S_OK)
            return known;
        long id = 0;
        childOf(child, id);
        if ((facts.*field).IsEmpty() && id == CHILDID_SELF)
            return (m_standard->*standard)(child, out);
        return giveText(facts.*field, out);
    }

    ULONG m_references = 1;
    HWND m_hwnd;
    const IAccessibleSource* m_source;
    IAccessible* m_standard;
    AFX_MODULE_STATE* m_moduleState;
};

CAccessible::~CAccessible()
{
    if (m_object) {
        m_object->disconnect();
        m_object->Release();
    }
}

LRESULT CAccessible::answer(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    if (static_cast<LONG>(lParam) != OBJID_CLIENT)
        return 0;
    if (m_object && m_object->hwnd() != hwnd) {
        m_object->disconnect();
        m_object->Release();
        m_object = nullptr;
    }
    if (!m_object) {
        IAccessible* standard = nullptr;
        if (FAILED(::CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&standard))))
            return 0;
        m_object = new Object(hwnd, m_source, standard);
    }
    return ::LresultFromObject(__uuidof(IAccessible), wParam, m_object);
}

void CAccessible::raise(HWND hwnd, DWORD event, long child)
{
    if (hwnd)
        ::NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}
