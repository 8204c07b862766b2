#pragma once

// Which thread a call came from, as the host tells it through its thread-check extension: calls
// that CLAP confines to the main thread or to the audio thread are refused from another one.
// Without the extension every thread counts as the right one.

#include "clap_abi/extensions.h"

namespace miral::clap {

class ThreadRules {
public:
    /// Asks `host` for its thread check (allowed from the plug-in's init on).
    void init(const clap_host_t* host);
    bool onMainThread() const;
    bool onAudioThread() const;

private:
    const clap_host_t* host_ = nullptr;
    const clap_host_thread_check_t* check_ = nullptr;
};

} // namespace miral::clap
