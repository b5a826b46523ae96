#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "Prompts.h"
#include "QtPrompts.h"
#include "ScriptedPrompts.h"

namespace wexlan {
namespace {

using ::testing::ElementsAre;

TEST(PromptsInstanceTest, InstallAndScopesReplaceAndRestoreTheInstance) {
    std::unique_ptr<Prompts> original = Prompts::Install(nullptr);
    EXPECT_NE(dynamic_cast<QtPrompts*>(&Prompts::Instance()), nullptr);  // the default
    auto first = std::make_unique<ScriptedPrompts>();
    Prompts* firstAddress = first.get();
    EXPECT_NE(dynamic_cast<QtPrompts*>(Prompts::Install(std::move(first)).get()), nullptr);
    {
        ScopedScriptedPrompts scoped;
        Prompts::Instance().ShowMessage("inside", MessageButtons::Ok);
        EXPECT_THAT(scoped->MessageTexts(), ElementsAre("inside"));
        scoped->QueueSaveAnswer(SaveAnswer::Discard);
        EXPECT_EQ(Prompts::Instance().AskToSave("Save?"), SaveAnswer::Discard);
        EXPECT_EQ(Prompts::Instance().AskToSave("Save?"), SaveAnswer::Cancel);
    }
    EXPECT_EQ(&Prompts::Instance(), firstAddress);
    Prompts::Install(std::move(original));
}

// The unit tests run without a QApplication: the product's prompts must neither crash nor wait.
TEST(QtPromptsTest, WithoutAnApplicationGivesTheSafeAnswers) {
    QtPrompts prompts;
    EXPECT_EQ(prompts.ShowMessage("Replace?", MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(prompts.ShowMessage("Note", MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(prompts.OpenFileName("A|*.a|", "/", {}) + prompts.SaveFileName("", "/", {}) +
                  prompts.BrowseFolder("Choose", "/"),
              "");
    EXPECT_EQ(prompts.ChooseColor(0xFFFFFFu), std::nullopt);
    EXPECT_EQ(prompts.AskToSave("Save changes?"), SaveAnswer::Cancel);
}

}  // namespace
}  // namespace wexlan
