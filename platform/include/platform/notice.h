#pragma once

// A modal notice to the user: a text with a caption and one OK button. The call returns once
// the user has dismissed it.
//
// On Linux there is no owner window to show a box in; the notice is written to standard error
// and handed to the process-wide handler, which tests replace so that nothing ever blocks.

namespace miral::platform {

using NoticeHandler = void (*)(const char* text, const char* caption);

/// Shows the notice and returns when it has been dismissed.
void showNotice(const char* text, const char* caption);

/// Installs the handler that receives every later notice; returns the previous one.
/// Null restores the platform's own behaviour.
NoticeHandler setNoticeHandler(NoticeHandler handler);

} // namespace miral::platform
