#pragma once

// What the DirectShow tests share: a COM apartment and a silent sample-rate notice for the
// whole test program, the MIRAL filter created as the class factory creates it, pins found by
// direction, and Wine's real graph built as File Source (Async.) -> Wave Parser -> MIRAL -> sink.

#include "dx/filter/eq_interfaces.h"
#include "dx/framework/com_ref.h"
#include "test_sink.h"

#include "dx/framework/windows_api.h"

#include <control.h>
#include <strmif.h>

#include <string>

namespace miral::dx::test {

/// {D51BD5A1-7548-11CF-A520-0080C77EF58A}: the platform's wave parser.
inline constexpr CLSID kClsidWaveParser = {
    0xD51BD5A1, 0x7548, 0x11CF, {0xA5, 0x20, 0x00, 0x80, 0xC7, 0x7E, 0xF5, 0x8A}};

/// Sample-rate notices shown since the program started (the handler never blocks).
int noticeCount();
/// The thread that showed the last notice.
DWORD noticeThread();

/// A new MIRAL filter; fails the test when it cannot be created.
ComRef<IBaseFilter> createMiral();
/// The filter's interface `Wanted`.
template <class Wanted> ComRef<Wanted> query(IUnknown* object, REFIID iid) {
    return queryInterface<Wanted>(object, iid);
}
/// The first pin of `filter` facing `direction`.
ComRef<IPin> findPin(IBaseFilter* filter, PIN_DIRECTION direction);
/// The file of the library whose code implements `object` (its method table's module); empty
/// when none does.
std::wstring libraryFileOf(IUnknown* object);

/// Wine's filter graph with a WAV file played into MIRAL and a test sink.
class WavGraph {
public:
    /// Builds and connects the graph; S_OK or the first failure.
    HRESULT build(const std::string& wavPath, IBaseFilter* miral, TestSink* sink);
    /// Runs until EC_COMPLETE (or the timeout); the event code, or 0 on timeout.
    long runToCompletion(long timeoutMs = 20000);
    HRESULT stop();

    IGraphBuilder* graph() const { return graph_.get(); }
    IBaseFilter* parser() const { return parser_.get(); }

private:
    ComRef<IGraphBuilder> graph_;
    ComRef<IBaseFilter> reader_;
    ComRef<IBaseFilter> parser_;
};

} // namespace miral::dx::test
