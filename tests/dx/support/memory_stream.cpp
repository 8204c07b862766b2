#include "memory_stream.h"

#include <algorithm>
#include <cstring>

namespace miral::dx::test {

MemoryStream* MemoryStream::create(std::vector<BYTE> data, ULONG bytesPerRead, bool endWithFalse) {
    auto* stream = new MemoryStream(std::move(data), bytesPerRead, endWithFalse);
    stream->NonDelegatingAddRef();
    return stream;
}

MemoryStream::MemoryStream(std::vector<BYTE> data, ULONG bytesPerRead, bool endWithFalse)
    : ComClass(nullptr), data_(std::move(data)), bytesPerRead_(bytesPerRead),
      endWithFalse_(endWithFalse) {}

HRESULT MemoryStream::NonDelegatingQueryInterface(REFIID iid, void** result) {
    if (result != nullptr && (iid == IID_IStream || iid == IID_ISequentialStream))
        return hand<IStream>(this, result);
    return ComObject::NonDelegatingQueryInterface(iid, result);
}

HRESULT MemoryStream::Read(void* target, ULONG bytes, ULONG* read) {
    ++reads_;
    const size_t left = data_.size() - position_;
    const ULONG count = ULONG(std::min<size_t>({bytes, bytesPerRead_, left}));
    if (FAILED(failure_) && position_ + count > failOffset_) {
        if (read != nullptr)
            *read = 0;
        return failure_;
    }
    std::memcpy(target, data_.data() + position_, count);
    position_ += count;
    if (read != nullptr)
        *read = count;
    return count < bytes && count == left && endWithFalse_ ? S_FALSE : S_OK;
}

HRESULT MemoryStream::Write(const void* source, ULONG bytes, ULONG* written) {
    if (FAILED(failure_) && written_.size() + bytes > failOffset_) {
        if (written != nullptr)
            *written = 0;
        return failure_;
    }
    const auto* begin = static_cast<const BYTE*>(source);
    written_.insert(written_.end(), begin, begin + bytes);
    if (written != nullptr)
        *written = bytes;
    return S_OK;
}

} // namespace miral::dx::test
