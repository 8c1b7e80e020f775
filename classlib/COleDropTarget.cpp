#include "classlib/COleDropTarget.h"
#include "classlib/CWnd.h"
#include "classlib/ExceptionBarrier.h"

namespace {
FORMATETC GlobalFormat(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// An effect the source allows: a refused move falls back to a copy when that is allowed.
DWORD Allowed(DROPEFFECT wanted, DWORD allowed) {
    const DWORD scroll = wanted & DROPEFFECT_SCROLL;
    wanted &= ~DROPEFFECT_SCROLL;
    if (wanted & allowed) return (wanted & allowed) | scroll;
    if (wanted != DROPEFFECT_NONE && (allowed & DROPEFFECT_COPY)) return DROPEFFECT_COPY | scroll;
    return DROPEFFECT_NONE | scroll;
}
}  // namespace

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const {
    FORMATETC wanted = GlobalFormat(format);
    return m_lpDataObject && m_lpDataObject->QueryGetData(&wanted) == S_OK;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT format) const {
    if (!m_lpDataObject) return nullptr;
    FORMATETC wanted = GlobalFormat(format);
    STGMEDIUM medium = {};
    if (m_lpDataObject->GetData(&wanted, &medium) != S_OK) return nullptr;
    if (medium.tymed == TYMED_HGLOBAL && !medium.pUnkForRelease) return medium.hGlobal;
    // Memory the source keeps: take a copy and give the medium back.
    HGLOBAL copy = medium.tymed == TYMED_HGLOBAL ? AfxCopyGlobalMemory(medium.hGlobal) : nullptr;
    ReleaseStgMedium(&medium);
    return copy;
}

// The COM object the system calls. It outlives its owner while the system still holds it, and
// then answers every call with no effect. No exception leaves its methods.
class COleDropTarget::Impl final : public IDropTarget {
public:
    explicit Impl(COleDropTarget* owner) : owner_(owner) {}
    void Orphan() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override {
        KeepData(data);
        return Guard(effect, [&](CWnd* wnd, CPoint client) {
            COleDataObject object(data);
            return lastEffect_ = Allowed(owner_->OnDragEnter(wnd, &object, keyState, client), *effect);
        }, point);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override {
        return Guard(effect, [&](CWnd* wnd, CPoint client) {
            const DROPEFFECT scrolled = owner_->OnDragScroll(wnd, keyState, client);
            COleDataObject object(data_);
            DROPEFFECT wanted = owner_->OnDragOver(wnd, &object, keyState, client);
            if (scrolled != DROPEFFECT_NONE) wanted |= DROPEFFECT_SCROLL;
            return lastEffect_ = Allowed(wanted, *effect);
        }, point);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        DWORD none = DROPEFFECT_NONE;
        const HRESULT result = Guard(&none, [&](CWnd* wnd, CPoint) {
            owner_->OnDragLeave(wnd);
            return DWORD(DROPEFFECT_NONE);
        }, POINTL{0, 0});
        ForgetData();
        return result;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override {
        (void)keyState;
        const DWORD allowed = effect ? *effect : DROPEFFECT_NONE;
        const HRESULT result = Guard(effect, [&](CWnd* wnd, CPoint client) {
            COleDataObject object(data);
            const DROPEFFECT chosen = Allowed(lastEffect_ & ~DROPEFFECT_SCROLL, allowed);
            return owner_->OnDrop(wnd, &object, chosen, client) ? chosen : DWORD(DROPEFFECT_NONE);
        }, point);
        ForgetData();
        return result;
    }

    // The data of the drag under way: DragOver is not given it again.
    void KeepData(IDataObject* data) {
        if (data) data->AddRef();
        ForgetData();
        data_ = data;
    }

private:
    ~Impl() { ForgetData(); }
    void ForgetData() {
        if (data_) data_->Release();
        data_ = nullptr;
    }
    // Runs the call with the window and the point in its client coordinates; the answer goes to
    // *effect. An exception is carried (ExceptionBarrier.h) and the drag sees no effect.
    template <class Call> HRESULT Guard(DWORD* effect, Call call, POINTL point) {
        if (!effect) return E_INVALIDARG;
        CWnd* wnd = owner_ && owner_->registered_ ? CWnd::FromHandle(owner_->registered_) : nullptr;
        if (!wnd) {
            *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        try {
            POINT client = {point.x, point.y};
            ::ScreenToClient(wnd->m_hWnd, &client);
            *effect = call(wnd, CPoint(client));
        } catch (...) {
            *effect = DROPEFFECT_NONE;
            AfxCarryException(std::current_exception());
        }
        return S_OK;
    }

    LONG references_ = 1;
    COleDropTarget* owner_;
    IDataObject* data_ = nullptr;
    DWORD lastEffect_ = DROPEFFECT_NONE;
};

COleDropTarget::COleDropTarget() : impl_(new Impl(this)), registered_(nullptr) {}

COleDropTarget::~COleDropTarget() {
    Revoke();
    impl_->Orphan();
    impl_->Release();
}

BOOL COleDropTarget::Register(CWnd* wnd) {
    if (registered_ || !wnd || !::IsWindow(wnd->m_hWnd)) return FALSE;
    if (RegisterDragDrop(wnd->m_hWnd, impl_) != S_OK) return FALSE;
    registered_ = wnd->m_hWnd;
    return TRUE;
}

void COleDropTarget::Revoke() {
    if (!registered_) return;
    RevokeDragDrop(registered_);
    registered_ = nullptr;
}

IDropTarget* COleDropTarget::GetInterface() {
    impl_->AddRef();
    return impl_;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint) { return DROPEFFECT_NONE; }
BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint) { return FALSE; }
void COleDropTarget::OnDragLeave(CWnd*) {}
DROPEFFECT COleDropTarget::OnDragScroll(CWnd*, DWORD, CPoint) { return DROPEFFECT_NONE; }
