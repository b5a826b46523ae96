#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Prompts.h"
#include "QtPrompts.h"
#include "ScriptedPrompts.h"

namespace wexlan {
namespace {

using ::testing::ElementsAre;

// The test double's own promises, which every prompt-checking test relies on.
TEST(ScriptedPromptsTest, EachKindTakesItsOwnQueueThenTheSafeAnswerAndEveryCallIsRecorded) {
    ScriptedPrompts prompts;
    prompts.QueueFileName("/x/first.f");
    prompts.QueueFolder("/x");
    EXPECT_EQ(prompts.ShowMessage("Couldn't load module", MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(prompts.ShowMessage("Replace?", MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(prompts.UnusedAnswers(), 2u);
    FileDialogOptions options;
    options.defaultExtension = "vtk";
    EXPECT_EQ(prompts.SaveFileName("A|*.a|", "/start", options), "/x/first.f");
    EXPECT_EQ(prompts.Calls().back().filterText + prompts.Calls().back().initialFolder +
                  prompts.Calls().back().options.defaultExtension,
              "A|*.a|/startvtk");
    EXPECT_EQ(prompts.OpenFileName("", "", {}), "");
    EXPECT_EQ(prompts.BrowseFolder("Choose", "/home"), "/x");
    EXPECT_EQ(prompts.Calls().back().text + prompts.Calls().back().initialFolder, "Choose/home");
    prompts.QueueColor(0x336699u);
    prompts.QueueColor(std::nullopt);
    EXPECT_EQ(prompts.ChooseColor(0x0000FFu), std::optional<unsigned int>(0x336699u));
    EXPECT_EQ(prompts.ChooseColor(0x0000FFu), std::nullopt);  // queued as cancelled
    EXPECT_EQ(prompts.ChooseColor(0x0000FFu), std::nullopt);  // nothing queued: cancelled
    EXPECT_EQ(prompts.Calls().back().kind, PromptKind::Color);
    EXPECT_EQ(prompts.Calls().back().initialColor, 0x0000FFu);
    prompts.QueueAnswer(MessageAnswer::Yes);  // returned as queued even if it does not fit
    EXPECT_EQ(prompts.ShowMessage("Done", MessageButtons::Ok, "/x.so: bad ELF"),
              MessageAnswer::Yes);
    EXPECT_EQ(prompts.Calls().back().detail, "/x.so: bad ELF");
    EXPECT_EQ(prompts.Calls().back().answer, MessageAnswer::Yes);
    EXPECT_THAT(prompts.MessageTexts(), ElementsAre("Couldn't load module", "Replace?", "Done"));
    EXPECT_EQ(prompts.Calls().front().buttons, MessageButtons::Ok);
    EXPECT_EQ(prompts.Calls()[1].buttons, MessageButtons::YesNo);
}

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
}

}  // namespace
}  // namespace wexlan
