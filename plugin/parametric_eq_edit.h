#pragma once

// The equaliser as the plug-in library presents it: ParametricEq with its unique identifier.
// The editor attaches here.

#include "plugin/parametric_eq.h"

class ParametricEqEdit : public ParametricEq {
public:
    explicit ParametricEqEdit(audioMasterCallback audioMaster);
};
