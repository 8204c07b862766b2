#pragma once

// The shared DynamicLibrary, under the name the DirectShow tests still include.
#include "platform/dynamic_library.h"
