#include "test_effect.h"

#include <gtest/gtest.h>

namespace {

// The base editor as a concrete editor inherits it, with its protected state visible.
class BaseEditor : public AEffEditor {
public:
    using AEffEditor::AEffEditor;
    void update() override { ++updateCalls; }
    void* parentWindow() const { return systemWindow; }
    int updateCalls = 0;
};

TEST(EditorBase, ConstructionRegistersTheEditorWithItsEffect) {
    TestEffect effect;
    auto* editor = new BaseEditor(&effect);

    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_EQ(editor->getEffect(), &effect);
    EXPECT_EQ(effect.getAeffect()->flags, effFlagsHasEditor);
}

TEST(EditorBase, WorksWithoutAnEffect) {
    BaseEditor editor(nullptr);
    EXPECT_EQ(editor.getEffect(), nullptr);
    EXPECT_EQ(editor.parentWindow(), nullptr);
}

TEST(EditorBase, EffectDeletesItsEditorAndAReplacedOne) {
    bool firstGone = false;
    bool secondGone = false;
    {
        TestEffect effect;
        new TestEditor(&effect, &firstGone);
        auto* second = new TestEditor(&effect, &secondGone);
        EXPECT_TRUE(firstGone);
        EXPECT_EQ(effect.getEditor(), second);
        effect.setEditor(second); // registering the same editor again keeps it
        EXPECT_FALSE(secondGone);
    }
    EXPECT_TRUE(secondGone);
}

TEST(EditorBase, RefreshWaitsForTheNextIdle) {
    BaseEditor editor(nullptr);

    editor.idle();
    EXPECT_EQ(editor.updateCalls, 0);
    editor.postUpdate();
    editor.postUpdate();
    EXPECT_EQ(editor.updateCalls, 0);
    editor.idle();
    EXPECT_EQ(editor.updateCalls, 1);
    editor.idle();
    EXPECT_EQ(editor.updateCalls, 1);
}

TEST(EditorBase, GivesNeutralAnswers) {
    BaseEditor editor(nullptr);
    int window = 0;
    ERect dummy{};
    ERect* rect = &dummy;
    VstKeyCode key{'a', 0, 0};

    EXPECT_EQ(editor.getRect(&rect), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(editor.getRect(nullptr), 0);
    EXPECT_EQ(editor.open(&window), 0);
    EXPECT_EQ(editor.parentWindow(), &window);
    EXPECT_EQ(editor.onKeyDown(key), -1);
    EXPECT_EQ(editor.onKeyUp(key), -1);
    EXPECT_EQ(editor.setKnobMode(2), 0);
    EXPECT_FALSE(editor.onWheel(1.0f));
}

} // namespace
