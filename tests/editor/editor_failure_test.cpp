// An editor that cannot be created fails its own effect only. The allocation of the editor is
// made to fail by replacing operator new for this test program, which the plug-in library
// loaded into it uses too.

#include "editor/eq_editor.h"
#include "plugin/parametric_eq_edit.h"
#include "toolkit/image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <new>

namespace {

/// The size of the next allocation to refuse; 0 refuses none.
size_t refusedSize = 0;
/// An allocation of this size arms the refusal of `thenRefused`.
size_t refuseAfterSize = 0;
size_t thenRefused = 0;

} // namespace

__attribute__((visibility("default"))) void* operator new(size_t size) {
    if (size == refusedSize && size != 0) {
        refusedSize = 0;
        throw std::bad_alloc();
    }
    if (size == refuseAfterSize && size != 0) {
        refuseAfterSize = 0;
        refusedSize = thenRefused;
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

__attribute__((visibility("default"))) void operator delete(void* memory) noexcept {
    std::free(memory);
}

__attribute__((visibility("default"))) void operator delete(void* memory, size_t) noexcept {
    std::free(memory);
}

namespace {

intptr_t VST2_CALL host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(EditorFailure, LeavesTheEffectWithoutAnEditor) {
    refusedSize = sizeof(EqEditor);
    ParametricEqEdit effect(host);
    EXPECT_FALSE(effect.hasEditor());
    EXPECT_EQ(effect.getEditor(), nullptr);
    EXPECT_EQ(effect.getAeffect()->flags, effFlagsHasVu | effFlagsCanReplacing);
    effect.setParameter(0, 0.25f);
    EXPECT_EQ(effect.getParameter(0), 0.25f);
}

TEST(EditorFailure, AnEditorFailingPartWayLeavesNoEditorBehind) {
    // The editor registers itself with the effect before it loads its background image.
    refuseAfterSize = sizeof(EqEditor);
    thenRefused = sizeof(miral::toolkit::CImage);
    {
        ParametricEqEdit effect(host);
        EXPECT_EQ(refusedSize, 0u) << "the background image's allocation was the one refused";
        EXPECT_FALSE(effect.hasEditor());
        EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
    }
    ParametricEqEdit next(host);
    EXPECT_TRUE(next.hasEditor());
}

TEST(EditorFailure, FailsOnlyThatInstanceAtTheEntryPoint) {
    void* library = dlopen(MIRAL_VST_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    using Entry = AEffect* (*)(audioMasterCallback);
    auto entry = reinterpret_cast<Entry>(dlsym(library, "main"));
    ASSERT_NE(entry, nullptr);

    refusedSize = sizeof(EqEditor);
    EXPECT_EQ(entry(host), nullptr);
    EXPECT_EQ(refusedSize, 0u) << "the plug-in's editor allocation was the one refused";

    AEffect* next = entry(host);
    ASSERT_NE(next, nullptr) << "a later instance is created normally";
    EXPECT_EQ(next->flags, effFlagsHasEditor | effFlagsHasVu | effFlagsCanReplacing);
    next->dispatcher(next, effClose, 0, 0, nullptr, 0.0f);
    dlclose(library);
}

} // namespace
