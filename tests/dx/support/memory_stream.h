#pragma once

// An IStream over bytes in memory whose reads can be made awkward: at most so many bytes per
// Read, and at its end either S_OK with fewer bytes or S_FALSE, as real streams answer; and
// whose reads and writes can fail past a given offset, as a broken medium's do.

#include "dx/framework/com_object.h"

#include "dx/framework/windows_api.h"

#include <objidl.h>

#include <vector>

namespace miral::dx::test {

class MemoryStream final : public ComClass<IStream> {
public:
    /// A new stream with one reference, reading `data`.
    static MemoryStream* create(std::vector<BYTE> data = {}, ULONG bytesPerRead = 0xFFFFFFFF,
                                bool endWithFalse = false);

    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** result) override;

    HRESULT STDMETHODCALLTYPE Read(void* target, ULONG bytes, ULONG* read) override;
    HRESULT STDMETHODCALLTYPE Write(const void* source, ULONG bytes, ULONG* written) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                     ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

    /// A Read or Write that would reach past `offset` moves nothing and answers `error`.
    void failPast(size_t offset, HRESULT error) {
        failOffset_ = offset;
        failure_ = error;
    }

    const std::vector<BYTE>& written() const { return written_; }
    int reads() const { return reads_; }

private:
    MemoryStream(std::vector<BYTE> data, ULONG bytesPerRead, bool endWithFalse);

    std::vector<BYTE> data_;
    size_t position_ = 0;
    ULONG bytesPerRead_;
    bool endWithFalse_;
    std::vector<BYTE> written_;
    int reads_ = 0;
    size_t failOffset_ = 0;
    HRESULT failure_ = S_OK;
};

} // namespace miral::dx::test
