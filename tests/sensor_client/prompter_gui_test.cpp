#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "sensor_client/prompter.h"
#include "tests/support/qt/scripted_prompter.h"

using mirevo::test::PromptKind;
using mirevo::test::ScopedPrompter;

TEST(ScriptedPrompter, ReturnsScriptedAnswersInOrderAndRecordsEveryPrompt) {
    ScopedPrompter scripted;
    scripted->answer(QMessageBox::Yes);
    scripted->answerIndex(1);
    scripted->answerFile("/tmp/a.csv", "CSV (*.csv)");

    EXPECT_EQ(ui::prompter().question(nullptr, "提示", "确定?"), QMessageBox::Yes);
    EXPECT_EQ(ui::prompter().ask(nullptr, QMessageBox::Question, "升级", "继续?", {"是", "否"}), 1);
    QString filter;
    EXPECT_EQ(ui::prompter().getSaveFileName(nullptr, "保存", "./x.csv", "CSV (*.csv);;All (*)", &filter),
              "/tmp/a.csv");
    EXPECT_EQ(filter, "CSV (*.csv)");

    const auto prompts = scripted->prompts();
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(prompts[0].kind, PromptKind::Question);
    EXPECT_EQ(prompts[0].title, "提示");
    EXPECT_EQ(prompts[1].buttons, (QStringList{"是", "否"}));
    EXPECT_EQ(prompts[2].kind, PromptKind::SaveFile);
    EXPECT_EQ(prompts[2].text, "./x.csv");
    EXPECT_EQ(scripted->pendingAnswers(), 0);
}

TEST(ScriptedPrompter, AnUnscriptedPromptFailsTheTestAndAnswersCancelAtOnce) {
    ScopedPrompter scripted;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    EXPECT_NONFATAL_FAILURE(answer = ui::prompter().information(nullptr, "提示", "通信失败!"), "通信失败!");
    EXPECT_EQ(answer, QMessageBox::Cancel);
    QString path = "x";
    EXPECT_NONFATAL_FAILURE(path = ui::prompter().getOpenFileName(nullptr, "打开", ".", "*"), "打开");
    EXPECT_TRUE(path.isEmpty());
    EXPECT_EQ(scripted->count(PromptKind::Information), 1);
}

TEST(ScriptedPrompter, AWrongKindOfAnswerIsNotTaken) {
    ScopedPrompter scripted;
    scripted->answerFile("/tmp/f");
    EXPECT_NONFATAL_FAILURE(ui::prompter().warning(nullptr, "t", "w"), "unscripted");
    EXPECT_EQ(scripted->pendingAnswers(), 1);
}
