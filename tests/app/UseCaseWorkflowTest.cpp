// The use cases on their own, as a front-end calls them: a request in, an outcome out, the
// user only behind the scripted prompter and progress sink.

#include <sys/stat.h>

#include "app/AppFakes.h"
#include "core/CarrierAnalysis.h"
#include "support/TestCarriers.h"

namespace tarnwerk::test {
namespace {

class UseCaseTest : public AppTest {
protected:
    UseCaseTest() {
        MakeBitmap(carrier, 120, 90, 24, false, 4);
        Put(data, std::string(3000, 'x'));
    }
    CarrierFacts Facts() const { return AnalyseCarrier(carrier).facts; }
    HideRequest HideOf(bool compress, bool encrypt) const {
        HideRequest request;
        request.carrier = Facts();
        request.dataPath = data;
        request.extension = "txt";
        request.options = PayloadOptions{compress, encrypt, CipherIndex::RC4, 2};
        return request;
    }
    ExtractRequest ExtractTo(const std::string& path) const { return {Facts(), 2, path, ExtractMethod::Classic}; }

    std::string data = dir.File("notes.txt");
    std::string carrier = dir.File("c.bmp");
    std::string output = dir.File("out.txt");
};

// A Cancel pending when a stage opens ends the use case there: nothing to tell, nothing
// written, every file as it was, no scratch file left.
TEST_F(UseCaseTest, CancelEndsEveryStageWithoutATrace) {
    ASSERT_TRUE(Hide(HideOf(false, false), ui, ui).ok());
    Put(output, "mine");
    const std::vector<std::string> before = dir.Entries();
    const Bytes carrierBytes = ReadFile(carrier);
    ui.newPassphrases = {"open sesame"};
    const struct Row {
        const char* stage;
        std::function<Outcome()> run;
    } rows[] = {
        {"plain hide, before the write", [&] { return Outcome(Hide(HideOf(false, false), ui, ui)); }},
        {"compression", [&] { return Outcome(Hide(HideOf(true, false), ui, ui)); }},
        {"encryption", [&] { return Outcome(Hide(HideOf(false, true), ui, ui)); }},
        {"extraction", [&] { return Outcome(Extract(ExtractTo(output), ui, ui)); }},
        {"export", [&] { return Outcome(Export(ExtractTo(output), ui, ui)); }},
        {"size",
         [&] {
             return Outcome(NeededSize(SizeRequest{data, PayloadOptions{}}, ui));
         }},
    };
    ui.answers.assign(2, MessageAnswer::Yes);  // replace out.txt, when asked
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stage);
        ui.cancel = true;
        const Outcome outcome = row.run();
        EXPECT_EQ(outcome.ending, Ending::Cancelled);
        EXPECT_TRUE(outcome.notices.empty());
        EXPECT_TRUE(outcome.written.empty());
        EXPECT_EQ(ReadFile(carrier), carrierBytes);
        EXPECT_EQ(Slurp(output), "mine");
        EXPECT_EQ(dir.Entries(), before);
    }
}

// The outcome says what happened and what was written; questions go to the prompter, and a
// declined one changes nothing.
TEST_F(UseCaseTest, OutcomesNameTheirFilesAndAnsweredQuestions) {
    const HideOutcome hidden = Hide(HideOf(false, false), ui, ui);
    ASSERT_EQ(hidden.ending, Ending::Done) << ui.Transcript();
    EXPECT_EQ(hidden.written, std::vector<std::string>{carrier});
    EXPECT_EQ(hidden.payloadSize, 3000);
    ASSERT_TRUE(hidden.success);
    EXPECT_EQ(RenderNotice(kLanguageBaseEnglish, *hidden.success).text, En(TextId::HiddenText));

    Put(output, "mine");
    ui.answers = {MessageAnswer::No};
    const ExtractOutcome declined = Extract(ExtractTo(output), ui, ui);
    EXPECT_EQ(declined.ending, Ending::Refused);
    EXPECT_TRUE(declined.notices.empty());
    EXPECT_EQ(Slurp(output), "mine");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, EnLines({TextId::FileExistsText, TextId::OverwriteQuestion}));
    EXPECT_EQ(ui.messages[0].buttons, MessageButtons::YesNo);

    // No name given: the prompter is offered the stored extension beside the carrier.
    ui.dataChoices = {dir.File("back")};
    const ExtractOutcome chosen = Extract(ExtractRequest{Facts(), 2, std::nullopt, ExtractMethod::Classic}, ui, ui);
    ASSERT_EQ(chosen.ending, Ending::Done) << ui.Transcript();
    ASSERT_EQ(ui.outputChoices.size(), 1u);
    EXPECT_EQ(ui.outputChoices[0].proposed, dir.File("c.txt"));
    EXPECT_EQ(ui.outputChoices[0].storedExtension, "txt");
    EXPECT_EQ(chosen.written, std::vector<std::string>{dir.File("back.txt")});
    EXPECT_EQ(Slurp(dir.File("back.txt")), std::string(3000, 'x'));
}

}  // namespace
}  // namespace tarnwerk::test
