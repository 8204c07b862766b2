// An editor that cannot be created fails its own effect only. The allocation of the editor is
// made to fail by replacing operator new for this test program, which the plug-in library
// loaded into it uses too.

#include "editor/eq_editor.h"
#include "host/host_callback.h"
#include "platform/dynamic_library.h"
#include "plugin/parametric_eq_edit.h"
#include "toolkit/image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

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

using miral::host::hostCallback;

TEST(EditorFailure, LeavesTheEffectWithoutAnEditor) {
    refusedSize = sizeof(EqEditor);
    ParametricEqEdit effect(hostCallback);
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
        ParametricEqEdit effect(hostCallback);
        EXPECT_EQ(refusedSize, 0u) << "the background image's allocation was the one refused";
        EXPECT_FALSE(effect.hasEditor());
        EXPECT_EQ(effect.getAeffect()->flags & effFlagsHasEditor, 0);
    }
    ParametricEqEdit next(hostCallback);
    EXPECT_TRUE(next.hasEditor());
}

TEST(EditorFailure, FailsOnlyThatInstanceAtTheEntryPoint) {
    std::string error;
    const auto library = miral::platform::DynamicLibrary::load(MIRAL_VST_PATH, &error);
    ASSERT_NE(library, nullptr) << error;
    const auto entry = library->entryAs<miral::host::EntryPoint>("main");
    ASSERT_NE(entry, nullptr);

    refusedSize = sizeof(EqEditor);
    EXPECT_EQ(entry(hostCallback), nullptr);
    EXPECT_EQ(refusedSize, 0u) << "the plug-in's editor allocation was the one refused";

    AEffect* next = entry(hostCallback);
    ASSERT_NE(next, nullptr) << "a later instance is created normally";
    EXPECT_EQ(next->flags, effFlagsHasEditor | effFlagsHasVu | effFlagsCanReplacing);
    next->dispatcher(next, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
