// The wording of the questions a use case asks.
#include "app/UseCases.h"

namespace tarnwerk {
namespace {

constexpr int kOverwriteText = 441;
constexpr int kOverwriteQuestionText = 442;
constexpr int kOverwriteTitle = 443;
constexpr int kArchiveExistsText = 456;
constexpr int kWrongPassphraseText = 426;
constexpr int kWrongPassphraseTitle = 428;
constexpr int kRetryText = 429;

}  // namespace

Message QuestionMessage(int languageBase, Question question) {
    switch (question) {
        case Question::ReplaceOutput:
            return RenderNotice(
                languageBase,
                Notice::Say({kOverwriteText, kOverwriteQuestionText}, MessageIcon::Question, kOverwriteTitle),
                MessageButtons::YesNo);
        case Question::ReplaceArchive:
            return RenderNotice(
                languageBase,
                Notice::Say({kArchiveExistsText, kOverwriteQuestionText}, MessageIcon::Exclamation, kOverwriteTitle),
                MessageButtons::YesNo);
        case Question::RetryPassphrase:
            break;
    }
    return RenderNotice(
        languageBase, Notice::Say({kWrongPassphraseText, kRetryText}, MessageIcon::Exclamation, kWrongPassphraseTitle),
        MessageButtons::RetryCancel);
}

}  // namespace tarnwerk
