#include "plugin/parametric_eq_edit.h"

ParametricEqEdit::ParametricEqEdit(audioMasterCallback audioMaster) : ParametricEq(audioMaster) {
    setUniqueID(kMiralUniqueId);
}
