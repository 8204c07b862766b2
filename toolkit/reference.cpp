#include "toolkit/reference.h"

namespace miral::toolkit {

void CReferenceCounted::forget() {
    if (references > 0 && --references == 0)
        delete this;
}

} // namespace miral::toolkit
