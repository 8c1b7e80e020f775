#include "classlib/COleDataSource.h"
#include "classlib/HandleOwner.h"
#include <shlobj.h>
#include <cstring>
#include <vector>

HGLOBAL AfxCopyGlobalMemory(HGLOBAL data) {
    const void* from = data ? GlobalLock(data) : nullptr;
    if (!from) return nullptr;
    const SIZE_T size = GlobalSize(data);
    ScopedGlobal copy(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size));
    void* to = copy ? GlobalLock(copy.Get()) : nullptr;
    if (to) {
        std::memcpy(to, from, size);
        GlobalUnlock(copy.Get());
    }
    GlobalUnlock(data);
    return to ? copy.Release() : nullptr;
}

// One COM object is both the data object the targets read and the drop source the drag loop
// asks. Its methods are called by the system: none of them throws.
class COleDataSource::Impl final : public IDataObject, public IDropSource {
public:
    void Cache(CLIPFORMAT format, HGLOBAL data) {
        for (Entry& e : entries_)
            if (e.format == format) {
                e.data.Reset(data);
                return;
            }
        entries_.push_back(Entry{format, ScopedGlobal(data)});
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
        } else if (IsEqualIID(iid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDataObject: each read gets a copy, which the reader frees.
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        const Entry* entry = Find(format);
        if (!entry) return DV_E_FORMATETC;
        HGLOBAL copy = AfxCopyGlobalMemory(entry->data.Get());
        if (!copy) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        return Find(format) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        try {
            std::vector<FORMATETC> formats;
            for (const Entry& e : entries_)
                formats.push_back(FORMATETC{e.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
            return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
        } catch (...) {
            return E_OUTOFMEMORY;  // nothing may unwind into the drag loop
        }
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    // IDropSource: the drop happens when the left button goes up, Escape cancels.
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
        if (escapePressed) return DRAGDROP_S_CANCEL;
        if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    struct Entry {
        CLIPFORMAT format;
        ScopedGlobal data;
    };
    const Entry* Find(const FORMATETC* format) const {
        if (!(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT) return nullptr;
        for (const Entry& e : entries_)
            if (e.format == format->cfFormat) return &e;
        return nullptr;
    }
    LONG references_ = 1;
    std::vector<Entry> entries_;
};

COleDataSource::COleDataSource() : impl_(new Impl) {}

COleDataSource::~COleDataSource() { impl_->Release(); }

void COleDataSource::CacheGlobalData(CLIPFORMAT format, HGLOBAL data) {
    if (data) impl_->Cache(format, data);
}

DROPEFFECT COleDataSource::DoDragDrop(DWORD allowedEffects) {
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = ::DoDragDrop(static_cast<IDataObject*>(impl_), static_cast<IDropSource*>(impl_),
                                        allowedEffects, &effect);
    return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

IDataObject* COleDataSource::GetDataObject() {
    impl_->AddRef();
    return static_cast<IDataObject*>(impl_);
}
