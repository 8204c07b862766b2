#include "toolkit/frame.h"

#include "platform/display_scale.h"
#include "platform_conversions.h"
#include "toolkit/draw_port.h"
#include "toolkit/frame_editor.h"
#include "toolkit/image.h"

#include <algorithm>
#include <new>

namespace miral::toolkit {

CFrame::CFrame(const CBox& box, void* parentWindow, CFrameEditor* owner,
               ToolkitGeneration toolkitGeneration, double displayScale)
    : CView(box), editor(owner), generation(toolkitGeneration),
      scale(platform::clampScale(displayScale)),
      window(platform::openChildWindow(parentWindow, box.width(), box.height(), *this,
                                       toolkitGeneration == ToolkitGeneration::kLater
                                           ? platform::FrameGeneration::kLater
                                           : platform::FrameGeneration::kOriginal,
                                       this->scale)) {
    open = window != nullptr;
}

CFrame::~CFrame() {
    removeAll(true);
    setBackground(nullptr);
    window.reset();
}

void CFrame::setBackground(CImage* image) {
    background.reset(image);
}

bool CFrame::addView(CView* view) {
    if (view == nullptr)
        return false;
    try {
        views.push_back(view);
    } catch (const std::bad_alloc&) {
        return false;
    }
    view->setFrame(this);
    view->attached(this);
    return true;
}

bool CFrame::removeView(CView* view, bool withForget) {
    auto found = std::find(views.begin(), views.end(), view);
    if (found == views.end())
        return false;
    views.erase(found);
    if (focusView == view)
        focusView = nullptr;
    if (modalView == view)
        modalView = nullptr;
    view->removed(this);
    if (withForget)
        view->forget();
    return true;
}

void CFrame::removeAll(bool withForget) {
    if (focusView != nullptr) {
        focusView->loseFocus(nullptr);
        focusView = nullptr;
    }
    modalView = nullptr;
    std::vector<CView*> leaving;
    leaving.swap(views);
    for (CView* view : leaving) {
        view->removed(this);
        if (withForget)
            view->forget();
    }
}

bool CFrame::isChild(CView* view) const {
    return std::find(views.begin(), views.end(), view) != views.end();
}

CView* CFrame::getView(int32_t index) const {
    return index >= 0 && index < getNbViews() ? views[size_t(index)] : nullptr;
}

bool CFrame::setModalView(CView* view) {
    if (view != nullptr && modalView != nullptr)
        return false;
    if (modalView != nullptr)
        modalView->removed(this);
    modalView = view;
    if (modalView != nullptr)
        modalView->attached(this);
    return true;
}

void CFrame::setFocusView(CView* view) {
    if (focusView != nullptr && focusView != view)
        focusView->loseFocus(nullptr);
    focusView = view;
}

void CFrame::draw(CDrawPort& port) {
    firstDrawPending = false;
    if (background)
        background->draw(port, {0, 0, background->getWidth(), background->getHeight()});
    for (CView* view : views)
        view->draw(port);
    if (modalView != nullptr)
        modalView->draw(port);
}

void CFrame::drawRect(CDrawPort& port, const CBox& box) {
    firstDrawPending = false;
    if (background)
        background->draw(port, box, box.topLeft());
    for (CView* view : views)
        if (view->checkUpdate(box))
            view->drawRect(port, box);
    if (modalView != nullptr && modalView->checkUpdate(box))
        modalView->drawRect(port, box);
}

void CFrame::update(CDrawPort& port) {
    if (!open)
        return;
    if (modalView != nullptr) {
        modalView->update(port);
    } else if (isDirty()) {
        draw(port);
        setDirty(false);
    } else {
        for (CView* view : views)
            view->update(port);
    }
}

CView* CFrame::pressedView(CPos where) const {
    if (modalView != nullptr)
        return modalView->hitTest(where) ? modalView : nullptr;
    for (auto view = views.rbegin(); view != views.rend(); ++view)
        if ((*view)->getMouseEnabled() && (*view)->hitTest(where))
            return *view;
    return nullptr;
}

void CFrame::mouse(CDrawPort& port, CPos where) {
    setFocusView(nullptr);
    if (CView* view = pressedView(where))
        view->mouse(port, where);
}

void CFrame::doubleClick(CDrawPort& port, CPos where, int32_t modifiers) {
    setFocusView(nullptr);
    if (CView* view = pressedView(where))
        view->doubleClick(port, where, modifiers);
}

template <typename KeyHandler> int32_t CFrame::routeKey(KeyHandler handle) {
    if (focusView != nullptr)
        if (const int32_t result = handle(*focusView); result != -1)
            return result;
    if (modalView != nullptr)
        if (const int32_t result = handle(*modalView); result != -1)
            return result;
    for (auto view = views.rbegin(); view != views.rend(); ++view)
        if (const int32_t result = handle(**view); result != -1)
            return result;
    return -1;
}

int32_t CFrame::onKeyDown(const CKeyCode& key) {
    return routeKey([&key](CView& view) { return view.onKeyDown(key); });
}

int32_t CFrame::onKeyUp(const CKeyCode& key) {
    return routeKey([&key](CView& view) { return view.onKeyUp(key); });
}

bool CFrame::onWheel(CDrawPort& port, CPos, float distance) {
    CPos pointer;
    port.getMouseLocation(pointer);
    CView* target = modalView;
    for (auto view = views.rbegin(); target == nullptr && view != views.rend(); ++view)
        if ((*view)->getViewSize().contains(pointer))
            target = *view;
    return target != nullptr && target->onWheel(port, pointer, distance);
}

bool CFrame::onWheel(float distance) {
    if (!window)
        return false;
    auto context = window->drawContext();
    CDrawPort port(*context, this);
    return onWheel(port, {0, 0}, distance);
}

bool CFrame::anythingDirty() const {
    if (isDirty() || (modalView != nullptr && modalView->isDirty()))
        return true;
    return std::any_of(views.begin(), views.end(), [](CView* view) { return view->isDirty(); });
}

void CFrame::idle() {
    if (window)
        window->processEvents();
    if (!open || firstDrawPending || !anythingDirty())
        return;
    auto context = window->drawContext();
    CDrawPort port(*context, this);
    update(port);
}

void CFrame::redraw(CView* view) {
    if (!open)
        return;
    auto context = window->drawContext();
    CDrawPort port(*context, this);
    if (view != nullptr)
        view->draw(port);
    else
        draw(port);
}

bool CFrame::takeKeyboardFocus() {
    return window && open && window->takeKeyboardFocus();
}

void CFrame::releaseKeyboardFocus() {
    if (window)
        window->releaseKeyboardFocus();
}

void CFrame::doIdleStuff() {
    if (editor != nullptr)
        editor->doIdleStuff();
}

int32_t CFrame::getKnobMode() const {
    return editor != nullptr ? editor->getKnobMode() : 0;
}

void CFrame::beginEdit(int32_t tag) {
    if (editor != nullptr)
        editor->beginEdit(tag);
}

void CFrame::endEdit(int32_t tag) {
    if (editor != nullptr)
        editor->endEdit(tag);
}

void CFrame::onPaint(platform::DrawContext& context, platform::Rect damaged) {
    CDrawPort port(context, this);
    drawRect(port, fromPlatform(damaged));
}

void CFrame::onButtonDown(platform::DrawContext& context, platform::Point position) {
    CDrawPort port(context, this);
    mouse(port, fromPlatform(position));
}

void CFrame::onDoubleClick(platform::DrawContext& context, platform::Point position,
                           int32_t modifiers) {
    CDrawPort port(context, this);
    doubleClick(port, fromPlatform(position), modifiers);
}

void CFrame::onKey(const platform::KeyStroke& stroke) {
    onKeyDown(toToolkit(stroke));
}

void CFrame::onFocusLost() {
    if (focusView != nullptr)
        focusView->keyboardFocusLost();
}

void CFrame::onDestroyed() {
    open = false;
}

} // namespace miral::toolkit
