#include "toolkit/view.h"

#include "toolkit/frame.h"

namespace miral::toolkit {

CView::CView(const CBox& box) : size(box) {}

void CView::draw(CDrawPort&) {
    setDirty(false);
}

void CView::drawRect(CDrawPort& port, const CBox&) {
    draw(port);
}

bool CView::checkUpdate(const CBox& box) const {
    return box.overlaps(size);
}

void CView::mouse(CDrawPort&, CPos) {}

void CView::doubleClick(CDrawPort& port, CPos where, int32_t) {
    mouse(port, where);
}

void CView::update(CDrawPort& port) {
    if (isDirty()) {
        draw(port);
        setDirty(false);
    }
}

int32_t CView::onKeyDown(const CKeyCode&) {
    return -1;
}

int32_t CView::onKeyUp(const CKeyCode&) {
    return -1;
}

bool CView::onWheel(CDrawPort&, CPos, float) {
    return false;
}

void CView::loseFocus(CDrawPort*) {}

void CView::takeFocus(CDrawPort*) {}

void CView::keyboardFocusLost() {}

bool CView::hitTest(CPos where) const {
    return where.x >= size.left && where.x <= size.right && where.y >= size.top &&
           where.y <= size.bottom;
}

void CView::setViewSize(const CBox& box) {
    size = box;
    setDirty();
}

CFrameEditor* CView::getEditor() const {
    return frame != nullptr ? frame->getEditor() : nullptr;
}

bool CView::attached(CView*) {
    return true;
}

bool CView::removed(CView*) {
    return true;
}

} // namespace miral::toolkit
