#include "thread_rules.h"

namespace miral::clap {

void ThreadRules::init(const clap_host_t* host) {
    host_ = host;
    if (host->get_extension != nullptr)
        check_ = static_cast<const clap_host_thread_check_t*>(
            host->get_extension(host, CLAP_EXT_THREAD_CHECK));
}

bool ThreadRules::onMainThread() const {
    return check_ == nullptr || check_->is_main_thread == nullptr || check_->is_main_thread(host_);
}

bool ThreadRules::onAudioThread() const {
    return check_ == nullptr || check_->is_audio_thread == nullptr ||
           check_->is_audio_thread(host_);
}

} // namespace miral::clap
